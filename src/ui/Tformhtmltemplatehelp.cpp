#include "ui/Tformhtmltemplatehelp.h"

#include "ui/Thelplist.h"
#include "ui_Tformhtmltemplatehelp.h"

#include <QPushButton>

TFormHtmlTemplateHelp::TFormHtmlTemplateHelp(QWidget* parent) : QDialog(parent), Form(std::make_unique<Ui::TFormHtmlTemplateHelp>()) {
  Form->setupUi(this);
  Form->ButtonBox->button(QDialogButtonBox::Close)->setObjectName(QStringLiteral("BtnClose"));
  Form->Splitter->setStretchFactor(1, 1);
  connect(Form->ButtonBox, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

TFormHtmlTemplateHelp::~TFormHtmlTemplateHelp() = default;

void TFormHtmlTemplateHelp::SetTemplates(std::vector<THtmlTemplate> entries) {
  std::vector<THelpRow> rows;
  for (const THtmlTemplate& entry : entries)
    rows.push_back({{QString::fromStdString(entry.GetName())}, entry.GetHelpPath()});
  ShowHelpRows(*Form->ListViewBlog, *Form->WebBrowser1, rows);
}
