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
  const std::vector<std::string> labels = BlogTypeLabels(entries);
  for (size_t i = 0; i < entries.size(); ++i)
    rows.push_back({{QString::fromStdString(labels[i]), QString::fromStdString(entries[i].GetSimpleText())},
                    entries[i].GetHelpPath()});
  ShowHelpRows(*Form->ListViewBlog, *Form->WebBrowser1, rows);
}
