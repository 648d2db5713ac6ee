#include "ui/Tformaboutbox.h"

#include "ui/Tkappinfo.h"
#include "ui_Tformaboutbox.h"

#include <QApplication>
#include <QIcon>
#include <QPushButton>
#include <QStyle>

namespace {

// The program's own icon where one is set, else the theme's for a network
// program, else the style's computer, which every style draws.
QIcon ProgramIcon() {
  const QIcon own = QApplication::windowIcon();
  if (!own.isNull())
    return own;
  return QIcon::fromTheme(QStringLiteral("applications-internet"),
                          QApplication::style()->standardIcon(QStyle::SP_ComputerIcon));
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
