#include "ui/Tformaboutbox.h"

#include "ui/Tkappinfo.h"
#include "ui_Tformaboutbox.h"

#include <QApplication>
#include <QIcon>
#include <QPushButton>

namespace {

// The program's own icon where one is set, else the theme's for an application.
QIcon ProgramIcon() {
  const QIcon icon = QApplication::windowIcon();
  return icon.isNull() ? QIcon::fromTheme(QStringLiteral("applications-internet")) : icon;
}

}  // namespace

TFormAboutBox::TFormAboutBox(QWidget* parent) : QDialog(parent), Form(std::make_unique<Ui::TFormAboutBox>()) {
  Form->setupUi(this);
  QPushButton* ok = Form->ButtonBox->button(QDialogButtonBox::Ok);
  ok->setObjectName(QStringLiteral("OK"));
  ok->setDefault(true);
  connect(Form->ButtonBox, &QDialogButtonBox::accepted, this, &QDialog::accept);
  Form->ProgramIcon->setPixmap(ProgramIcon().pixmap(48, 48));
  const TkAppInfo info;
  Form->ProductName->setText(info.Value(TkAppInfo::Kind::ProductName));
  Form->Version->setText(QStringLiteral("Version ") + info.Value(TkAppInfo::Kind::ProductVersion));
  Form->Copyright->setText(info.Value(TkAppInfo::Kind::LegalCopyright));
}

TFormAboutBox::~TFormAboutBox() = default;
