#include "ui/Tformdetectcategories.h"

#include "ui/ShownTextDelegate.h"
#include "ui_Tformdetectcategories.h"

#include <QHeaderView>
#include <QPushButton>

TFormDetectCategories::TFormDetectCategories(QWidget* parent)
    : QDialog(parent), Form(std::make_unique<Ui::TFormDetectCategories>()) {
  Form->setupUi(this);
  Form->ListCategories->setItemDelegate(new TShownTextDelegate(Form->ListCategories));
  Form->ListCategories->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
  connect(Form->ButtonCheckAll, &QPushButton::clicked, this, [this] { CheckAll(true); });
  connect(Form->ButtonUncheckAll, &QPushButton::clicked, this, [this] { CheckAll(false); });
}

TFormDetectCategories::~TFormDetectCategories() = default;

// The names and addresses come from the blog: shown as plain text, control
// characters made visible.
void TFormDetectCategories::SetCategories(const std::vector<TCategoryData>& categories) {
  Categories = categories;
  Form->ListCategories->clear();
  for (const TCategoryData& category : categories) {
    auto* item = new QTreeWidgetItem(Form->ListCategories,
                                     {QString::fromStdString(category.name), QString::fromStdString(category.url)});
    item->setCheckState(0, Qt::Checked);
  }
}

std::vector<TCategoryData> TFormDetectCategories::GetChecked() const {
  std::vector<TCategoryData> checked;
  for (int row = 0; row < Form->ListCategories->topLevelItemCount(); ++row)
    if (Form->ListCategories->topLevelItem(row)->checkState(0) == Qt::Checked)
      checked.push_back(Categories.at(static_cast<std::size_t>(row)));
  return checked;
}

void TFormDetectCategories::CheckAll(bool checked) {
  for (int row = 0; row < Form->ListCategories->topLevelItemCount(); ++row)
    Form->ListCategories->topLevelItem(row)->setCheckState(0, checked ? Qt::Checked : Qt::Unchecked);
}
