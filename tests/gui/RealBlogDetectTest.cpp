// 自動判定 of the real window on a blog of a real engine, which scripts/realblogs
// serves and names through the environment; skipped without it.
#include "MainWindowFixture.h"
#include "ModalDialogs.h"

#include "ui/Tformdetectcategories.h"

#include <QDialogButtonBox>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTreeWidget>

#include <cstdlib>

namespace {

using namespace Qt::StringLiterals;

QString Env(const char* name) {
  const char* value = std::getenv(name);
  return value ? QString::fromUtf8(value) : QString();
}

QStringList Names(const char* variable) {
  QStringList names;
  for (const QJsonValue name : QJsonDocument::fromJson(Env(variable).toUtf8()).array())
    names << name.toString();
  return names;
}

class RealBlogDetectTest : public MainWindowFixture {};

// TOCWERK_REALBLOG_URL: the top page; TOCWERK_REALBLOG_TYPE: the blog type it
// must select; TOCWERK_REALBLOG_CATEGORIES: a JSON array of the category names it
// must offer, in any order; TOCWERK_REALBLOG_EXTRA_CATEGORIES: those it may offer
// besides.
TEST_F(RealBlogDetectTest, TheWindowFindsTheEngineAndItsCategories) {
  const QString url = Env("TOCWERK_REALBLOG_URL");
  if (url.isEmpty())
    GTEST_SKIP() << "TOCWERK_REALBLOG_URL is not set";
  const QStringList expected = Names("TOCWERK_REALBLOG_CATEGORIES");
  const QStringList extra = Names("TOCWERK_REALBLOG_EXTRA_CATEGORIES");

  TFormMain& window = StartWindow();
  Ui::TFormMain& form = window.GetUi();
  form.EditEntryUrl->setText(url);
  QStringList offered;
  WhenShown<TFormDetectCategories>([&offered](TFormDetectCategories& dialog) {
    auto* list = dialog.findChild<QTreeWidget*>(u"ListCategories"_s);
    for (int row = 0; row < list->topLevelItemCount(); ++row)
      offered << list->topLevelItem(row)->text(0);
    dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
  });
  form.ButtonDetectBlogType->click();

  EXPECT_EQ(form.ComboBoxBlogType->currentData().toString().toStdString(), Env("TOCWERK_REALBLOG_TYPE").toStdString());
  for (const QString& name : expected)
    EXPECT_TRUE(offered.contains(name)) << "not offered: " << name.toStdString();
  for (const QString& name : offered)
    EXPECT_TRUE(expected.contains(name) || extra.contains(name)) << "offered: " << name.toStdString();
  EXPECT_EQ(form.ListViewCategory->topLevelItemCount(), offered.size());
}

}
