#include "app/Tformmain.h"

#include "app/Tkappmessages.h"
#include "ui/Tformcategory.h"
#include "ui/Tformdownloadcategory.h"
#include "ui/Tprompts.h"
#include "ui_Tformmain.h"

#include <vector>

namespace {

using namespace Qt::StringLiterals;

const QString DeleteQuestion = u"選択されているカテゴリを削除します。\nよろしいですか？"_s;

QTreeWidgetItem* SelectedRow(const QTreeWidget& list) {
  const QList<QTreeWidgetItem*> selected = list.selectedItems();
  return selected.isEmpty() ? nullptr : selected.front();
}

// The rows as they are on screen, saved or not, in row order.
std::vector<TCategoryData> GetCategoryList(const QTreeWidget& list) {
  std::vector<TCategoryData> categories;
  for (int row = 0; row < list.topLevelItemCount(); ++row) {
    const QTreeWidgetItem* item = list.topLevelItem(row);
    categories.push_back({item->text(0).toStdString(), item->text(1).toStdString()});
  }
  return categories;
}

}

void TFormMain::ActionInsertCategoryExecute() {
  TFormCategory dialog(this);
  if (dialog.exec() != QDialog::Accepted)
    return;
  new QTreeWidgetItem(Form->ListViewCategory, {dialog.GetName(), dialog.GetUrl()});
  SetModified(true);
}

void TFormMain::ActionUpdateCategoryExecute() {
  QTreeWidgetItem* row = SelectedRow(*Form->ListViewCategory);
  if (!row)
    return;
  TFormCategory dialog(this);
  dialog.SetName(row->text(0));
  dialog.SetUrl(row->text(1));
  if (dialog.exec() != QDialog::Accepted)
    return;
  row->setText(0, dialog.GetName());
  row->setText(1, dialog.GetUrl());
  SetModified(true);
}

// Esc and the close box keep the row, as キャンセル does.
void TFormMain::ActionDeleteCategoryExecute() {
  QTreeWidgetItem* row = SelectedRow(*Form->ListViewCategory);
  if (!row)
    return;
  if (TPrompts::Get().Choose(this, TPrompts::Icon::Question, DeleteQuestion, {u"削除"_s, u"キャンセル"_s}, 1) != 0)
    return;
  delete row;
  SetModified(true);
}

void TFormMain::ActionDownloadCategoryExecute() {
  if (Form->ComboBoxBlogType->currentIndex() < 0) {
    TPrompts::Get().Message(this, TPrompts::Icon::Warning, QString::fromUtf8(NoBlogTypeMessage));
    return;
  }
  TFormDownloadCategory dialog(this);
  dialog.SetCategories(GetCategoryList(*Form->ListViewCategory));
  dialog.SetDb(Db.get());
  dialog.SetBlogConfig(GetSelectedBlogType());
  dialog.exec();
  SetModified(true);
  ShowDownloadedEntries();
}
