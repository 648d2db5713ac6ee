#include "ui/Tformcomment.h"

#include "ui/ShownText.h"
#include "ui/Tprompts.h"
#include "ui_Tformcomment.h"

#include <QPushButton>
#include <QUrl>

TFormComment::TFormComment(QWidget* parent) : QDialog(parent), Form(std::make_unique<Ui::TFormComment>()) {
  Form->setupUi(this);
  Form->ButtonBox->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("BtnOk"));
  Form->ButtonBox->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("BtnCancel"));
  connect(Form->LabelUrl, &QLabel::linkActivated, this, &TFormComment::LabelUrlClick);
  connect(Form->ButtonBox, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(Form->ButtonBox, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

TFormComment::~TFormComment() = default;

// The label shows the URL as a link; the link's target is not read back, so no
// escaping can change what opens.
void TFormComment::SetUrl(const QString& url) {
  Url = url;
  Form->LabelUrl->setText(
      QStringLiteral("<a href=\"%1\">%2</a>").arg(url.toHtmlEscaped(), ShownText(url).toHtmlEscaped()));
}

void TFormComment::SetTitle(const QString& title) {
  Form->LabelTitle->setText(ShownParagraph(title));
}

void TFormComment::SetComment(const QString& comment) {
  Form->MemoComment->setPlainText(comment);
}

QString TFormComment::GetComment() const {
  return Form->MemoComment->toPlainText();
}

void TFormComment::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  Form->MemoComment->setFocus();
}

void TFormComment::LabelUrlClick() {
  TPrompts::Get().OpenUrl(QUrl(Url));
}
