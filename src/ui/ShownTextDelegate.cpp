#include "ui/ShownTextDelegate.h"

#include "ui/ShownText.h"

QString TShownTextDelegate::displayText(const QVariant& value, const QLocale& locale) const {
  return ShownText(QStyledItemDelegate::displayText(value, locale));
}
