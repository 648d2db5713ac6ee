#include "ui/Tformblogtypehelp.h"

#include "ui_Tformblogtypehelp.h"

#include <QPushButton>
#include <QSignalBlocker>

TFormBlogTypeHelp::TFormBlogTypeHelp(QWidget* parent) : QDialog(parent), Form(std::make_unique<Ui::TFormBlogTypeHelp>()) {
  Form->setupUi(this);
  Form->ButtonBox->button(QDialogButtonBox::Close)->setObjectName(QStringLiteral("BtnClose"));
  Form->Splitter->setStretchFactor(1, 1);
  connect(Form->ButtonBox, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(Form->ListViewBlog, &QTreeWidget::currentItemChanged, this, &TFormBlogTypeHelp::ListViewBlogClick);
}

TFormBlogTypeHelp::~TFormBlogTypeHelp() = default;

void TFormBlogTypeHelp::SetBlogConfigs(std::vector<TBlogConfig> entries) {
  Entries = std::move(entries);
  const QSignalBlocker quiet(Form->ListViewBlog);
  Form->ListViewBlog->clear();
  for (const TBlogConfig& entry : Entries) {
    auto* item = new QTreeWidgetItem(Form->ListViewBlog);
    item->setText(0, QString::fromStdString(entry.GetName()));
    item->setText(1, QString::fromStdString(entry.GetSimpleText()));
  }
  for (int column = 0; column < Form->ListViewBlog->columnCount(); ++column)
    Form->ListViewBlog->resizeColumnToContents(column);
  if (Entries.empty())
    return;
  Form->ListViewBlog->setCurrentItem(Form->ListViewBlog->topLevelItem(0));
  ListViewBlogClick();
}

void TFormBlogTypeHelp::ListViewBlogClick() {
  QTreeWidgetItem* item = Form->ListViewBlog->currentItem();
  if (!item)
    return;
  const auto row = static_cast<std::size_t>(Form->ListViewBlog->indexOfTopLevelItem(item));
  Form->WebBrowser1->ShowDocument(Entries.at(row).GetHelpPath());
}
