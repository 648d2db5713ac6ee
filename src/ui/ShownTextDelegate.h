#pragma once

#include <QStyledItemDelegate>

// Draws an item's text as ShownText shows it, for lists whose items hold outside
// text that is read back and saved as it is.
class TShownTextDelegate : public QStyledItemDelegate {
  Q_OBJECT

public:
  using QStyledItemDelegate::QStyledItemDelegate;

  QString displayText(const QVariant& value, const QLocale& locale) const override;
};
