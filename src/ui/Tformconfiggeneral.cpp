#include "ui/Tformconfiggeneral.h"

#include "net/Tappconfig.h"
#include "ui/Tscreenfit.h"
#include "ui_Tformconfiggeneral.h"

#include <QPushButton>
#include <QTimer>

#include <initializer_list>

namespace {

int ReadNumber(const QString& text, int fallback) {
  bool ok = false;
  const int value = text.toInt(&ok, 10);
  return ok ? value : fallback;
}

}

TFormConfigGeneral::TFormConfigGeneral(QWidget* parent)
    : QDialog(parent), Form(std::make_unique<Ui::TFormConfigGeneral>()) {
  Form->setupUi(this);
  Form->ButtonBox->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("BtnOK"));
  Form->ButtonBox->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("BtnCancel"));
  // Host names and numbers: no input method composes into these.
  for (QWidget* field : std::initializer_list<QWidget*>{Form->EditProxyServer, Form->EditProxyPort, Form->EditSleepTime})
    field->setAttribute(Qt::WA_InputMethodEnabled, false);
  connect(Form->RadioButtonUseProxy1, &QRadioButton::toggled, this, &TFormConfigGeneral::RadioButtonUseProxy1Click);
  connect(Form->RadioButtonUseProxy2, &QRadioButton::toggled, this, &TFormConfigGeneral::RadioButtonUseProxy1Click);
  connect(Form->ButtonBox, &QDialogButtonBox::accepted, this, &TFormConfigGeneral::BtnOKClick);
  connect(Form->ButtonBox, &QDialogButtonBox::rejected, this, &QDialog::reject);

  const TAppConfig* config = TAppConfig::GetInstance();
  // Neither button is checked in the form, so this one toggles and sets the fields' states.
  (config->GetUseProxy() ? Form->RadioButtonUseProxy2 : Form->RadioButtonUseProxy1)->setChecked(true);
  Form->EditProxyServer->setText(QString::fromStdString(config->GetProxyServer()));
  Form->EditProxyPort->setText(QString::number(config->GetProxyPort()));
  Form->EditSleepTime->setValue(config->GetSleepTime());
}

TFormConfigGeneral::~TFormConfigGeneral() = default;

// The tab page tells its full size only once it is shown, and the dialog grows
// then: it is centred over the window again at that size.
void TFormConfigGeneral::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  QTimer::singleShot(0, this, [this] { CentreOverParent(*this); });
}

void TFormConfigGeneral::RadioButtonUseProxy1Click() {
  const bool manual = Form->RadioButtonUseProxy2->isChecked();
  Form->EditProxyServer->setEnabled(manual);
  Form->EditProxyPort->setEnabled(manual);
}

void TFormConfigGeneral::BtnOKClick() {
  TAppConfig* config = TAppConfig::GetInstance();
  const bool manual = Form->RadioButtonUseProxy2->isChecked();
  config->SetUseProxy(manual);
  if (manual) {
    config->SetProxyServer(Form->EditProxyServer->text().toStdString());
    config->SetProxyPort(ReadNumber(Form->EditProxyPort->text(), config->GetProxyPort()));
  } else {
    config->SetProxyServer("");
    config->SetProxyPort(0);
  }
  config->SetSleepTime(Form->EditSleepTime->value());
  accept();
}
