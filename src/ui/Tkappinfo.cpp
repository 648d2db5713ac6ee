#include "ui/Tkappinfo.h"

QString TkAppInfo::Value(Kind kind) const {
  switch (kind) {
  case Kind::ProductName:
  case Kind::InternalName:
    return QStringLiteral(TOCWERK_PRODUCT_NAME);
  case Kind::FileDescription:
    return QStringLiteral(TOCWERK_DESCRIPTION);
  case Kind::FileVersion:
  case Kind::ProductVersion:
    return QStringLiteral(TOCWERK_VERSION);
  case Kind::LegalCopyright:
    return QStringLiteral(TOCWERK_COPYRIGHT);
  default:
    return {};
  }
}
