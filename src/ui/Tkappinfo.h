#pragma once

#include <QString>

// The program's own version information, compiled in from the build.
class TkAppInfo {
public:
  enum class Kind {
    Comments,
    CompanyName,
    FileDescription,
    FileVersion,
    InternalName,
    LegalCopyright,
    LegalTradeMarks,
    OriginalFilename,
    PrivateBuild,
    ProductName,
    ProductVersion,
  };

  // Empty for a kind the build does not record.
  QString Value(Kind kind) const;
};
