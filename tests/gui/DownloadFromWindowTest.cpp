// The two downloads started from the main window on the sample blog served by the
// real sample server: the whole crawl, one cancelled in the middle, and no blog type.
#include "CrawlDialogDriver.h"
#include "MainWindowFixture.h"
#include "ModalDialogs.h"
#include "ServedSample.h"

#include "store/Tentry.h"
#include "ui/Tformdownloadcategory.h"
#include "ui/Tformdownloadentry.h"

#include <QTimer>

#include <algorithm>

namespace {

using namespace Qt::StringLiterals;

class DownloadFromWindowTest : public MainWindowFixture {
protected:
  // A window with the bundled blog type selected and the sample's top page typed in.
  TFormMain& StartOn(const ServedSample& sample) {
    TFormMain& window = StartWindow();
    Ui::TFormMain& form = window.GetUi();
    const int bundled = form.ComboBoxBlogType->findText(QString::fromStdString(BundledBlogType().GetName()));
    EXPECT_GE(bundled, 0);
    form.ComboBoxBlogType->setCurrentIndex(bundled);
    form.EditEntryUrl->setText(QString::fromStdString(sample.Url("/")));
    form.CheckBoxDownloadNewEntryOnly->setChecked(false);
    return window;
  }
};

std::vector<std::int32_t> Sorted(std::vector<std::int32_t> ids) {
  std::sort(ids.begin(), ids.end());
  return ids;
}

TEST_F(DownloadFromWindowTest, EntriesThenCategoriesOfTheRowsOnScreen) {
  ServedSample sample(40, 0);
  TFormMain& window = StartOn(sample);
  Ui::TFormMain& form = window.GetUi();

  CrawlSeen entries;
  RunToTheEnd<TFormDownloadEntry>(entries);
  form.ButtonDownloadEntry->click();
  ASSERT_FALSE(entries.Log.isEmpty());
  EXPECT_EQ(entries.Log.last(), u"終了しました。"_s);
  EXPECT_EQ(LoadEntries(window.GetDb()).size(), 40u);
  EXPECT_TRUE(window.IsModified()) << "the crawl changed the working copy";

  // The category rows typed since the project was made, unsaved, go to the crawl;
  // it reads their pages and needs no top page.
  form.EditEntryUrl->clear();
  for (const TCategoryData& category : sample.Categories())
    new QTreeWidgetItem(form.ListViewCategory,
                        {QString::fromStdString(category.name), QString::fromStdString(category.url)});
  window.SetModified(false);
  CrawlSeen categories;
  RunToTheEnd<TFormDownloadCategory>(categories);
  form.ActionDownloadCategory->trigger();
  ASSERT_FALSE(categories.Log.isEmpty());
  EXPECT_EQ(categories.Log.last(), u"終了しました。"_s);
  EXPECT_TRUE(window.IsModified());
  for (const TEntry& entry : LoadEntries(window.GetDb())) {
    const int number = 40 + 1 - entry.GetId();
    std::vector<std::int32_t> expected;
    for (const int category : TSampleBlog::EntryCategories(number))
      expected.push_back(category + 1);
    if (expected.empty())
      expected.push_back(0);
    EXPECT_EQ(Sorted(entry.GetCategoryIds()), Sorted(expected)) << number;
  }
}

TEST_F(DownloadFromWindowTest, CancelInTheMiddleKeepsWhatWasReadAndClosesTheDialog) {
  ServedSample sample(200, 40);
  TFormMain& window = StartOn(sample);

  CrawlSeen seen;
  WhenShown<TFormDownloadEntry>([&seen](TFormDownloadEntry& dialog) {
    const CrawlDialogDriver driver(dialog);
    ASSERT_TRUE(driver.WaitForOkLines(4));
    driver.Cancel()->click();
    seen.ClosedItself = driver.WaitUntilClosed();
    seen.Log = driver.Log();
  });
  Trigger(window, "ActionDownloadEntry");
  EXPECT_TRUE(seen.ClosedItself);
  ASSERT_FALSE(seen.Log.isEmpty());
  EXPECT_EQ(seen.Log.last(), u"終了しました。"_s);

  const std::vector<TEntry> kept = LoadEntries(window.GetDb());
  EXPECT_GE(kept.size(), 3u);
  EXPECT_LT(kept.size(), 200u);
  EXPECT_EQ(kept.front().GetUrl(), sample.Url(TSampleBlog::EntryPath(200))) << "newest first";
  EXPECT_TRUE(window.IsModified());
}

TEST_F(DownloadFromWindowTest, WithoutABlogTypeNeitherDownloadStarts) {
  TFormMain& window = StartWindow(EmptyFolder());
  Ui::TFormMain& form = window.GetUi();
  ASSERT_EQ(form.ComboBoxBlogType->count(), 0);
  new QTreeWidgetItem(form.ListViewCategory, {u"日記"_s, u"http://127.0.0.1:9/diary/"_s});
  window.SetModified(false);

  for (const char* action : {"ActionDownloadEntry", "ActionDownloadCategory"}) {
    SCOPED_TRACE(action);
    Prompts->ExpectMessage(u"ブログの種類が選択されていません。"_s);
    Trigger(window, action);
    EXPECT_TRUE(Prompts->AllAnswered());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_FALSE(window.IsModified());
  }
}

TEST_F(DownloadFromWindowTest, WithoutATopPageTheEntryDownloadAsksForIt) {
  ServedSample sample(3, 0);
  TFormMain& window = StartOn(sample);
  Ui::TFormMain& form = window.GetUi();
  for (const QString& typed : {QString(), u"   "_s}) {
    form.EditEntryUrl->setText(typed);
    window.SetModified(false);
    Prompts->ExpectMessage(u"ブログのトップページのURLを入力してください。"_s);
    // A crawl dialog that opens all the same is closed at its end: a failure, not a hang.
    QTimer::singleShot(1000, &window, [] {
      auto* dialog = qobject_cast<TFormDownloadEntry*>(QApplication::activeModalWidget());
      if (dialog == nullptr)
        return;
      ADD_FAILURE() << "the crawl dialog opened";
      const CrawlDialogDriver driver(*dialog);
      driver.WaitForEnd();
      driver.Close()->click();
    });
    Trigger(window, "ActionDownloadEntry");
    EXPECT_TRUE(Prompts->AllAnswered());
    EXPECT_TRUE(Prompts->GetUnexpected().empty());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_FALSE(window.IsModified());
    EXPECT_EQ(form.EditEntryUrl->text(), typed);
  }
  EXPECT_TRUE(LoadEntries(window.GetDb()).empty());
}

}
