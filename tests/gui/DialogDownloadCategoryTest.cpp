// The category crawl's dialog on the sample blog, after the entry crawl's: both
// bars, the memberships stored, and Esc in the middle.
#include "CrawlDialogDriver.h"
#include "DialogFixture.h"
#include "ServedSample.h"

#include "net/Tappconfig.h"
#include "store/Tentry.h"
#include "store/Tkappfolder.h"
#include "store/Tprojectdb.h"
#include "support/PrivateWorkFolder.h"
#include "ui/Tformdownloadcategory.h"
#include "ui/Tformdownloadentry.h"

#include <QProgressBar>

#include <algorithm>

namespace {

class DialogDownloadCategoryTest : public DialogFixture {
protected:
  DialogDownloadCategoryTest() {
    TAppConfig::GetInstance()->SetUseProxy(false);
    TAppConfig::GetInstance()->SetSleepTime(0);
    Db.New(GetDbFolder() + "blog.mdb");
  }

  void Prepare(TFormDownloadCategory& dialog, const ServedSample& sample) {
    dialog.SetCategories(sample.Categories());
    dialog.SetDb(&Db);
    dialog.SetBlogConfig(BundledBlogType());
  }

  void ReadEntries(const ServedSample& sample) {
    TFormDownloadEntry dialog;
    dialog.SetStartUrl(sample.Url("/"));
    dialog.SetDb(&Db);
    dialog.SetNewEntryOnly(false);
    dialog.SetBlogConfig(BundledBlogType());
    dialog.open();
    ASSERT_TRUE(CrawlDialogDriver(dialog).WaitForEnd());
    dialog.accept();
  }

  PrivateWorkFolder Work;
  TProjectDb Db;
};

TEST_F(DialogDownloadCategoryTest, ReadsEveryCategoryWithBothBarsAtTheirEndThenEnterCloses) {
  ServedSample sample(60, 0);
  ReadEntries(sample);
  TFormDownloadCategory dialog;
  Prepare(dialog, sample);
  const CrawlDialogDriver driver(dialog);
  EXPECT_EQ(dialog.windowTitle(), QStringLiteral("カテゴリの取得"));
  EXPECT_EQ(driver.Cancel()->text(), QStringLiteral("キャンセル(&C)"));
  EXPECT_EQ(driver.Close()->text(), QStringLiteral("閉じる(&X)"));
  dialog.open();
  ASSERT_TRUE(driver.WaitForEnd());

  const auto* categoryBar = dialog.findChild<QProgressBar*>(QStringLiteral("ProgressBarCategory"));
  EXPECT_EQ(categoryBar->minimum(), 0);
  EXPECT_EQ(categoryBar->maximum(), TSampleBlog::CategoryCount);
  EXPECT_EQ(categoryBar->value(), TSampleBlog::CategoryCount);
  // The entry bar holds the entries of the page read last: the last category's last page.
  const int last = TSampleBlog::CategoryCount - 1;
  const int onLastPage = static_cast<int>(sample.Blog.CategoryEntries(last).size()) -
                         (sample.Blog.CategoryPageCount(last) - 1) * sample.Blog.Options().EntriesPerPage;
  EXPECT_EQ(dialog.findChild<QProgressBar*>(QStringLiteral("ProgressBarEntry"))->maximum(), onLastPage);
  EXPECT_EQ(dialog.findChild<QProgressBar*>(QStringLiteral("ProgressBarEntry"))->value(), onLastPage);

  int pages = 0;
  for (int c = 0; c < TSampleBlog::CategoryCount; ++c)
    pages += sample.Blog.CategoryPageCount(c);
  EXPECT_EQ(driver.OkLines(), pages);
  EXPECT_EQ(driver.Log().last(), QStringLiteral("終了しました。"));
  EXPECT_FALSE(driver.Cancel()->isEnabled());

  for (const TEntry& entry : LoadEntries(Db)) {
    const int number = sample.Blog.Options().Entries + 1 - entry.GetId();
    std::vector<std::int32_t> expected;
    for (const int category : TSampleBlog::EntryCategories(number))
      expected.push_back(category + 1);
    if (expected.empty())
      expected.push_back(0);
    std::vector<std::int32_t> stored = entry.GetCategoryIds();
    std::sort(expected.begin(), expected.end());
    std::sort(stored.begin(), stored.end());
    EXPECT_EQ(stored, expected) << number;
  }

  driver.PressEnter();
  EXPECT_FALSE(dialog.isVisible()) << "Enter presses 閉じる once the crawl has ended";
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
}

TEST_F(DialogDownloadCategoryTest, EscStopsBeforeTheNextCategoryAndClosesTheDialog) {
  ServedSample sample(60, 100);
  TFormDownloadCategory dialog;
  Prepare(dialog, sample);
  const CrawlDialogDriver driver(dialog);
  dialog.open();
  ASSERT_TRUE(driver.WaitForOkLines(1));
  QTest::keyClick(&dialog, Qt::Key_Escape);
  EXPECT_TRUE(dialog.isVisible());
  ASSERT_TRUE(driver.WaitUntilClosed());

  EXPECT_EQ(dialog.result(), QDialog::Rejected);
  const QStringList log = driver.Log();
  EXPECT_EQ(log.last(), QStringLiteral("終了しました。"));
  const QString first = QString::fromStdString(" " + TSampleBlog::CategoryName(0));
  for (const QString& line : log.filter(QRegularExpression(QStringLiteral("^OK: "))))
    EXPECT_TRUE(line.endsWith(first)) << line.toStdString();
}

}
