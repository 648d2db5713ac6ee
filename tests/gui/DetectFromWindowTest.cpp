// 自動判定 on page 1 of the real window: the sample blog served by the real
// sample server, pages no blog type reads, a server that never answers, and
// addresses typed without a scheme.
#include "CrawlDialogDriver.h"
#include "LoopbackServer.h"
#include "MainWindowFixture.h"
#include "ModalDialogs.h"
#include "ServedSample.h"

#include "ui/ShownText.h"
#include "ui/Tdetectdialog.h"
#include "ui/Telidedlabel.h"
#include "ui/Tformdetectcategories.h"
#include "ui/Tformdownloadentry.h"

#include <QDialogButtonBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QTreeWidget>

#include <optional>

namespace {

using namespace Qt::StringLiterals;
using Rows = std::vector<std::pair<QString, QString>>;

class DetectFromWindowTest : public MainWindowFixture {
protected:
  // A window on the last blog type, so that the detection has one to change.
  TFormMain& StartOn(const std::string& url) {
    TFormMain& window = StartWindow();
    Ui::TFormMain& form = window.GetUi();
    form.ComboBoxBlogType->setCurrentIndex(form.ComboBoxBlogType->count() - 1);
    window.ComboBoxBlogTypeChange();
    form.EditEntryUrl->setText(QString::fromStdString(url));
    window.SetModified(false);
    return window;
  }

  static QString Status(TFormMain& window) {
    return window.findChild<TElidedLabel*>(u"LabelDetection"_s)->GetFullText();
  }
};

// Unchecks the rows at these indexes, then presses OK; the rows offered are kept.
void ChooseCategories(Rows& offered, std::vector<int> unchecked) {
  WhenShown<TFormDetectCategories>([&offered, unchecked](TFormDetectCategories& dialog) {
    auto* list = dialog.findChild<QTreeWidget*>(u"ListCategories"_s);
    for (int row = 0; row < list->topLevelItemCount(); ++row) {
      QTreeWidgetItem* item = list->topLevelItem(row);
      EXPECT_EQ(item->checkState(0), Qt::Checked) << "all checked at first";
      offered.emplace_back(item->text(0), item->text(1));
    }
    for (const int row : unchecked)
      list->topLevelItem(row)->setCheckState(0, Qt::Unchecked);
    dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
  });
}

Rows SampleRows(const ServedSample& sample) {
  Rows rows;
  for (const TCategoryData& category : sample.Categories())
    rows.emplace_back(QString::fromStdString(category.name), QString::fromStdString(category.url));
  return rows;
}

TEST_F(DetectFromWindowTest, TheSampleBlogGivesItsTypeAndTheCheckedCategories) {
  ServedSample sample(3, 0);
  TFormMain& window = StartOn(sample.Url("/"));
  Ui::TFormMain& form = window.GetUi();
  Rows offered;
  ChooseCategories(offered, {1});
  form.ButtonDetectBlogType->click();

  EXPECT_EQ(form.ComboBoxBlogType->currentData().toString(), u"汎用 (HTML5)"_s);
  EXPECT_EQ(window.GetSelectedBlogType().GetName(), "汎用 (HTML5)");
  EXPECT_TRUE(window.IsModified());
  EXPECT_TRUE(Status(window).startsWith(u"自動判定: 汎用 (HTML5)（HTML5 ("_s)) << Status(window).toStdString();
  QApplication::processEvents();
  EXPECT_EQ(window.findChild<QLabel*>(u"LabelDetection"_s)->text(), Status(window)) << "shown whole where there is room";
  const Rows all = SampleRows(sample);
  ASSERT_EQ(offered, all);
  Rows expected = all;
  expected.erase(expected.begin() + 1);
  EXPECT_EQ(CategoryRows(form), expected);

  // With rows on the list it asks first: replace, add behind them, or leave it.
  struct Case {
    const char* Name;
    std::optional<int> Answer;
    Rows After;
  };
  const std::pair<QString, QString> typed{u"手入力"_s, u"https://blog.example/c/"_s};
  Rows typedThenAll{typed};
  typedThenAll.insert(typedThenAll.end(), all.begin(), all.end());
  const Case cases[] = {
      {"replace", 0, all}, {"add", 1, typedThenAll}, {"cancel", 2, {typed}}, {"Esc", std::nullopt, {typed}}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    form.ListViewCategory->clear();
    new QTreeWidgetItem(form.ListViewCategory, {typed.first, typed.second});
    window.SetModified(false);
    Prompts->ExpectChoice(u"カテゴリの一覧にはすでに 1 件あります。"_s, c.Answer);
    Rows seen;
    const bool offers = c.Answer && *c.Answer != 2;
    if (offers)
      ChooseCategories(seen, {});
    form.ButtonDetectBlogType->click();
    EXPECT_TRUE(Prompts->AllAnswered());
    EXPECT_EQ(seen.size(), offers ? all.size() : 0u);
    EXPECT_EQ(CategoryRows(form), c.After);
    EXPECT_EQ(window.IsModified(), offers);
  }
}

// A blog type whose script fails is named in the status bar, not dropped unseen;
// its message is outside text, never markup.
TEST_F(DetectFromWindowTest, ABlogTypeWhoseScriptFailsIsNamed) {
  ServedSample sample(3, 0);
  const std::string folder = BlogTypes({"ブログA"});
  WriteFile(folder + "broken.js", "function Detect(page, url) { throw new Error('<b>読めません</b>'); }\n");
  WriteFile(folder + "broken.ini", "[CONFIG]\nname=壊れた種類\n[SCRIPT]\nfile=broken.js\nlanguage=JScript\n");
  TFormMain& window = StartWindow(folder);
  window.GetUi().EditEntryUrl->setText(QString::fromStdString(sample.Url("/")));
  Rows offered;
  ChooseCategories(offered, {});
  window.GetUi().ButtonDetectBlogType->click();
  EXPECT_EQ(window.GetSelectedBlogType().GetName(), "ブログA");
  EXPECT_TRUE(Status(window).contains(u"判定できなかった種類: 壊れた種類: "_s)) << Status(window).toStdString();
  const QString tip = window.findChild<QLabel*>(u"LabelDetection"_s)->toolTip();
  EXPECT_TRUE(tip.contains(u"&lt;b&gt;読めません&lt;/b&gt;"_s)) << tip.toStdString();
}

// Nothing found, nothing read, nothing typed: a message, and the window as it was.
TEST_F(DetectFromWindowTest, WhenNothingIsFoundNothingChanges) {
  LoopbackServer server([](const HttpRequest& request) -> std::optional<std::string> {
    if (request.Target == "/plain/")
      return HttpResponse(200, "OK", "<!DOCTYPE html><html><body><p>ただの文章</p></body></html>",
                          "Content-Type: text/html; charset=utf-8\r\n");
    return HttpResponse(404, "Not Found", "");
  });
  const struct {
    std::string Url;
    QString Message;
  } cases[] = {
      {server.Url("/plain/"), u"このページを読めるブログの種類が見つかりません。\n「汎用 (HTML5)」で読めるかもしれません。"_s},
      {server.Url("/missing/"), u"404 ページが見つかりません"_s},
      {"  ", u"ブログのトップページのURLを入力してください。"_s},
  };
  TFormMain& window = StartOn("");
  Ui::TFormMain& form = window.GetUi();
  const int before = form.ComboBoxBlogType->currentIndex();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Url);
    form.EditEntryUrl->setText(QString::fromStdString(c.Url));
    Prompts->ExpectMessage(c.Message);
    form.ButtonDetectBlogType->click();
    EXPECT_TRUE(Prompts->AllAnswered());
    EXPECT_EQ(form.ComboBoxBlogType->currentIndex(), before);
    EXPECT_EQ(form.ListViewCategory->topLevelItemCount(), 0);
    EXPECT_TRUE(Status(window).isEmpty());
    EXPECT_FALSE(window.IsModified());
  }
}

TEST_F(DetectFromWindowTest, CancelStopsAFetchThatNeverEndsAtOnce) {
  LoopbackServer silent([](const HttpRequest&) -> std::optional<std::string> { return std::nullopt; });
  TFormMain& window = StartOn(silent.Url("/"));
  Ui::TFormMain& form = window.GetUi();
  const int before = form.ComboBoxBlogType->currentIndex();
  qint64 closingMs = -1;
  WhenShown<TDetectDialog>([&closingMs](TDetectDialog& dialog) {
    QTest::qWait(200);
    EXPECT_TRUE(dialog.isVisible()) << "still waiting for the server";
    QElapsedTimer clock;
    clock.start();
    dialog.findChild<QPushButton*>(u"BtnCancel"_s)->click();
    if (QTest::qWaitFor([&dialog] { return !dialog.isVisible(); }, 10000))
      closingMs = clock.elapsed();
  });
  form.ButtonDetectBlogType->click();
  EXPECT_GE(closingMs, 0) << "the box closed";
  EXPECT_LT(closingMs, 2000);
  EXPECT_EQ(form.ComboBoxBlogType->currentIndex(), before);
  EXPECT_TRUE(Status(window).isEmpty());
  EXPECT_FALSE(window.IsModified());
}

// Both commands that read the top page ask before they add https:// to an address
// typed without a scheme; no leaves the field and reads nothing. Port 1 on
// loopback refuses at once, so each read that starts fails quickly.
TEST_F(DetectFromWindowTest, AnAddressWithoutASchemeIsCompletedWhenTheUserAgrees) {
  const QString typed = u"127.0.0.1:1/blog"_s;
  const QString completed = u"https://127.0.0.1:1/blog"_s;
  TFormMain& window = StartOn(typed.toStdString());
  Ui::TFormMain& form = window.GetUi();
  for (QPushButton* button : {form.ButtonDetectBlogType, form.ButtonDownloadEntry}) {
    SCOPED_TRACE(button->objectName().toStdString());
    for (const bool agree : {false, true}) {
      form.EditEntryUrl->setText(typed);
      window.SetModified(false);
      Prompts->ExpectChoice(u"URL「127.0.0.1:1/blog」には http:// も https:// もありません。\n"_s + completed +
                                u" として続けますか？"_s,
                            agree ? 0 : 1);
      CrawlSeen crawl;
      if (agree && button == form.ButtonDownloadEntry)
        RunToTheEnd<TFormDownloadEntry>(crawl);
      else if (agree)
        Prompts->ExpectMessage({});
      button->click();
      EXPECT_TRUE(Prompts->AllAnswered());
      EXPECT_EQ(form.EditEntryUrl->text(), agree ? completed : typed);
      EXPECT_EQ(window.IsModified(), agree);
      EXPECT_EQ(crawl.Log.isEmpty(), !(agree && button == form.ButtonDownloadEntry));
    }
  }
}

}
