#include "ui/Tformcategory.h"

#include "ui/Tprompts.h"
#include "ui_Tformcategory.h"

#include <QPushButton>

TFormCategory::TFormCategory(QWidget* parent) : QDialog(parent), Form(std::make_unique<Ui::TFormCategory>()) {
  Form->setupUi(this);
  Form->ButtonBox->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("BtnOk"));
  Form->ButtonBox->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("BtnCancel"));
  // A URL is typed in Latin letters: no input method composes into it.
  Form->EditUrl->setAttribute(Qt::WA_InputMethodEnabled, false);
  connect(Form->ButtonBox, &QDialogButtonBox::accepted, this, &TFormCategory::BtnOkClick);
  connect(Form->ButtonBox, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

TFormCategory::~TFormCategory() = default;

void TFormCategory::SetName(const QString& name) {
  Form->EditName->setText(name);
}

void TFormCategory::SetUrl(const QString& url) {
  Form->EditUrl->setText(url);
}

QString TFormCategory::GetName() const {
  return Form->EditName->text();
}

QString TFormCategory::GetUrl() const {
  return Form->EditUrl->text();
}

// Blanks count as input: neither text is trimmed or checked further.
void TFormCategory::BtnOkClick() {
  if (GetName().isEmpty()) {
    TPrompts::Get().Message(this, TPrompts::Icon::Question,
                            QStringLiteral("カテゴリ名が入力されていません。"));
    Form->EditName->setFocus();
    return;
  }
  if (GetUrl().isEmpty()) {
    TPrompts::Get().Message(this, TPrompts::Icon::Question,
                            QStringLiteral("URLが入力されていません。"));
    Form->EditUrl->setFocus();
    return;
  }
  accept();
}
