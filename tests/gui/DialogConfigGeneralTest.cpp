// The general settings dialog: what it shows for the settings in force, which
// fields it enables, and what OK stores, numbers that are no numbers included.
#include "DialogFixture.h"

#include "net/Tappconfig.h"
#include "ui/Tformconfiggeneral.h"

#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTest>

#include <ostream>
#include <string>
#include <vector>

namespace {

using namespace Qt::StringLiterals;

struct Settings {
  bool UseProxy;
  std::string ProxyServer;
  int ProxyPort;
  int SleepTime;

  bool operator==(const Settings&) const = default;
};

void Apply(const Settings& settings) {
  TAppConfig* config = TAppConfig::GetInstance();
  config->SetUseProxy(settings.UseProxy);
  config->SetProxyServer(settings.ProxyServer);
  config->SetProxyPort(settings.ProxyPort);
  config->SetSleepTime(settings.SleepTime);
}

Settings Current() {
  const TAppConfig* config = TAppConfig::GetInstance();
  return {config->GetUseProxy(), config->GetProxyServer(), config->GetProxyPort(), config->GetSleepTime()};
}

std::ostream& operator<<(std::ostream& out, const Settings& s) {
  return out << s.UseProxy << ",\"" << s.ProxyServer << "\"," << s.ProxyPort << "," << s.SleepTime;
}

// The process-wide settings are put back after each test.
class DialogConfigGeneralTest : public DialogFixture {
protected:
  DialogConfigGeneralTest() : Saved(Current()) {}
  ~DialogConfigGeneralTest() override { Apply(Saved); }

  Settings Saved;
};

class Form {
public:
  explicit Form(TFormConfigGeneral& dialog) : Dialog(dialog) {}

  QRadioButton* Radio(int number) const {
    return Dialog.findChild<QRadioButton*>(QStringLiteral("RadioButtonUseProxy%1").arg(number));
  }
  QLineEdit* Edit(const char* name) const { return Dialog.findChild<QLineEdit*>(QString::fromLatin1(name)); }
  QSpinBox* Wait() const { return Dialog.findChild<QSpinBox*>(QStringLiteral("EditSleepTime")); }
  // Keys typed over the wait's whole text.
  void TypeWait(const QString& keys) const {
    Wait()->selectAll();
    QTest::keyClicks(Wait(), keys);
  }
  void Press(QDialogButtonBox::StandardButton which) const {
    Dialog.findChild<QDialogButtonBox*>()->button(which)->click();
  }

private:
  TFormConfigGeneral& Dialog;
};

TEST_F(DialogConfigGeneralTest, ShowsTheSettingsInForceWithTheProxyFieldsEnabledOnlyForTheManualProxy) {
  const std::vector<Settings> cases = {
      {false, "127.0.0.1", 8080, 0},
      {true, "proxy.example.jp", 3128, 500},
      {false, "", 0, 1000},
      {false, "", 0, 60000},
  };
  for (const Settings& settings : cases) {
    SCOPED_TRACE(testing::PrintToString(settings));
    Apply(settings);
    TFormConfigGeneral dialog;
    const Form form(dialog);
    EXPECT_EQ(dialog.windowTitle(), u"全般設定"_s);
    EXPECT_EQ(dialog.findChild<QTabWidget*>()->tabText(0), u"インターネット接続(&1)"_s);
    EXPECT_EQ(form.Radio(1)->isChecked(), !settings.UseProxy);
    EXPECT_EQ(form.Radio(2)->isChecked(), settings.UseProxy);
    EXPECT_EQ(form.Edit("EditProxyServer")->text().toStdString(), settings.ProxyServer);
    EXPECT_EQ(form.Edit("EditProxyPort")->text(), QString::number(settings.ProxyPort));
    ASSERT_NE(form.Wait(), nullptr);
    EXPECT_EQ(form.Wait()->value(), settings.SleepTime);
    EXPECT_EQ(form.Edit("EditProxyServer")->isEnabled(), settings.UseProxy);
    EXPECT_EQ(form.Edit("EditProxyPort")->isEnabled(), settings.UseProxy);
    EXPECT_TRUE(form.Wait()->isEnabled());

    // Clicking the other choice switches the proxy fields.
    form.Radio(settings.UseProxy ? 1 : 2)->click();
    EXPECT_EQ(form.Edit("EditProxyServer")->isEnabled(), !settings.UseProxy);
    EXPECT_EQ(form.Edit("EditProxyPort")->isEnabled(), !settings.UseProxy);
    EXPECT_TRUE(form.Wait()->isEnabled());
  }
}

TEST_F(DialogConfigGeneralTest, OkStoresWhatIsTypedWithFallbacksForWhatIsNoNumberAndTheWaitInItsRange) {
  struct Case {
    const char* Name;
    Settings Before;
    bool Manual;
    QString Server;
    QString Port;
    QString Sleep;
    Settings After;
  };
  const std::vector<Case> cases = {
      {"manual proxy as typed", {false, "127.0.0.1", 8080, 0}, true, u" proxy.example.jp "_s, u"3128"_s,
       u"250"_s, {true, " proxy.example.jp ", 3128, 250}},
      {"a port that is no number keeps the port", {true, "p", 8080, 10}, true, u"p"_s, u"abc"_s, u"0"_s,
       {true, "p", 8080, 0}},
      {"the wait takes digits only", {true, "p", 8080, 10}, true, u"p"_s, u"8080"_s, u"abc-5"_s,
       {true, "p", 8080, 5}},
      {"the wait stops at a minute", {true, "p", 8080, 0}, true, u"p"_s, u"-5"_s, u"70000"_s,
       {true, "p", -5, 7000}},
      {"a port beyond 32 bits keeps the port", {true, "p", 8888, 0}, true, u"p"_s, u"4294967296"_s, u"x"_s,
       {true, "p", 8888, 0}},
      {"the direct connection empties the proxy", {true, "proxy.example.jp", 3128, 0}, false, u"ignored"_s,
       u"1"_s, u"30"_s, {false, "", 0, 30}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    Apply(c.Before);
    TFormConfigGeneral dialog;
    const Form form(dialog);
    dialog.open();
    form.Radio(c.Manual ? 2 : 1)->click();
    form.Edit("EditProxyServer")->setText(c.Server);
    form.Edit("EditProxyPort")->setText(c.Port);
    ASSERT_NE(form.Wait(), nullptr);
    form.TypeWait(c.Sleep);
    form.Press(QDialogButtonBox::Ok);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(Current(), c.After);
  }
}

TEST_F(DialogConfigGeneralTest, TheDirectConnectionReopensWithAnEmptyDisabledServerAndPortZero) {
  Apply({true, "proxy.example.jp", 3128, 0});
  {
    TFormConfigGeneral dialog;
    dialog.open();
    Form(dialog).Radio(1)->click();
    Form(dialog).Press(QDialogButtonBox::Ok);
  }
  TFormConfigGeneral dialog;
  const Form form(dialog);
  EXPECT_TRUE(form.Radio(1)->isChecked());
  EXPECT_EQ(form.Edit("EditProxyServer")->text(), QString());
  EXPECT_EQ(form.Edit("EditProxyPort")->text(), u"0"_s);
  EXPECT_FALSE(form.Edit("EditProxyServer")->isEnabled());
  EXPECT_FALSE(form.Edit("EditProxyPort")->isEnabled());
}

TEST_F(DialogConfigGeneralTest, CancelAndEscChangeNothing) {
  const Settings before{true, "proxy.example.jp", 3128, 100};
  for (const bool escape : {false, true}) {
    Apply(before);
    TFormConfigGeneral dialog;
    const Form form(dialog);
    dialog.open();
    form.Radio(1)->click();
    form.TypeWait(u"9"_s);
    if (escape)
      QTest::keyClick(&dialog, Qt::Key_Escape);
    else
      form.Press(QDialogButtonBox::Cancel);
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_EQ(Current(), before);
  }
}

}
