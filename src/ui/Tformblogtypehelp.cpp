#include "ui/Tformblogtypehelp.h"

#include "ui/Thelplist.h"
#include "ui_Tformblogtypehelp.h"

#include <QPushButton>

TFormBlogTypeHelp::TFormBlogTypeHelp(QWidget* parent) : QDialog(parent), Form(std::make_unique<Ui::TFormBlogTypeHelp>()) {
  Form->setupUi(this);
  Form->ButtonBox->button(QDialogButtonBox::Close)->setObjectName(QStringLiteral("BtnClose"));
  Form->Splitter->setStretchFactor(1, 1);
  connect(Form->ButtonBox, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

TFormBlogTypeHelp::~TFormBlogTypeHelp() = default;

void TFormBlogTypeHelp::SetBlogConfigs(std::vector<TBlogConfig> entries) {
  std::vector<THelpRow> rows;
  for (const TBlogConfig& entry : entries)
    rows.push_back({{QString::fromStdString(entry.GetName()), QString::fromStdString(entry.GetSimpleText())}, entry.GetHelpPath()});
  ShowHelpRows(*Form->ListViewBlog, *Form->WebBrowser1, rows);
}
