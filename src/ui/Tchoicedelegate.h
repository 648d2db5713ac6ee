#pragma once

#include "ui/ShownTextDelegate.h"

// Edits an item whose ChoicesRole holds a list of values with a drop-down of those
// values, and any other item as text.
class TChoiceDelegate : public TShownTextDelegate {
  Q_OBJECT

public:
  static constexpr int ChoicesRole = Qt::UserRole + 1;

  using TShownTextDelegate::TShownTextDelegate;

  QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                        const QModelIndex& index) const override;
  void setEditorData(QWidget* editor, const QModelIndex& index) const override;
  void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override;
};
