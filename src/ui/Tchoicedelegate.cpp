#include "ui/Tchoicedelegate.h"

#include "ui/ShownText.h"

#include <QComboBox>

QWidget* TChoiceDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                                       const QModelIndex& index) const {
  const QStringList values = index.data(ChoicesRole).toStringList();
  if (values.isEmpty())
    return TShownTextDelegate::createEditor(parent, option, index);
  auto* combo = new QComboBox(parent);
  combo->setEditable(false);
  for (const QString& value : values)
    combo->addItem(ShownText(value), value);
  return combo;
}

// A value the list does not have (saved before the template declared its values)
// is offered too, so that opening the drop-down changes nothing.
void TChoiceDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const {
  auto* combo = qobject_cast<QComboBox*>(editor);
  if (!combo) {
    TShownTextDelegate::setEditorData(editor, index);
    return;
  }
  const QString value = index.data(Qt::EditRole).toString();
  if (combo->findData(value) < 0)
    combo->addItem(ShownText(value), value);
  combo->setCurrentIndex(combo->findData(value));
}

void TChoiceDelegate::setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const {
  auto* combo = qobject_cast<QComboBox*>(editor);
  if (!combo) {
    TShownTextDelegate::setModelData(editor, model, index);
    return;
  }
  model->setData(index, combo->currentData(), Qt::EditRole);
}
