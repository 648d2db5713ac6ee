#include "ui/Tformhtmltemplatehelp.h"

#include "ui_Tformhtmltemplatehelp.h"

#include <QPushButton>
#include <QSignalBlocker>

TFormHtmlTemplateHelp::TFormHtmlTemplateHelp(QWidget* parent) : QDialog(parent), Form(std::make_unique<Ui::TFormHtmlTemplateHelp>()) {
  Form->setupUi(this);
  Form->ButtonBox->button(QDialogButtonBox::Close)->setObjectName(QStringLiteral("BtnClose"));
  Form->Splitter->setStretchFactor(1, 1);
  connect(Form->ButtonBox, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(Form->ListViewBlog, &QTreeWidget::currentItemChanged, this, &TFormHtmlTemplateHelp::ListViewBlogClick);
}

TFormHtmlTemplateHelp::~TFormHtmlTemplateHelp() = default;

void TFormHtmlTemplateHelp::SetTemplates(std::vector<THtmlTemplate> entries) {
  Entries = std::move(entries);
  const QSignalBlocker quiet(Form->ListViewBlog);
  Form->ListViewBlog->clear();
  for (const THtmlTemplate& entry : Entries) {
    auto* item = new QTreeWidgetItem(Form->ListViewBlog);
    item->setText(0, QString::fromStdString(entry.GetName()));
  }
  for (int column = 0; column < Form->ListViewBlog->columnCount(); ++column)
    Form->ListViewBlog->resizeColumnToContents(column);
  if (Entries.empty())
    return;
  Form->ListViewBlog->setCurrentItem(Form->ListViewBlog->topLevelItem(0));
  ListViewBlogClick();
}

void TFormHtmlTemplateHelp::ListViewBlogClick() {
  QTreeWidgetItem* item = Form->ListViewBlog->currentItem();
  if (!item)
    return;
  const auto row = static_cast<std::size_t>(Form->ListViewBlog->indexOfTopLevelItem(item));
  Form->WebBrowser1->ShowDocument(Entries.at(row).GetHelpPath());
}
