// The entry crawl's dialog on the sample blog: a crawl to the end, Cancel and Esc
// in the middle, the close box in the middle, and a dialog destroyed mid-crawl.
#include "CrawlDialogDriver.h"
#include "DialogFixture.h"
#include "ServedSample.h"

#include "net/Tappconfig.h"
#include "store/Tentry.h"
#include "store/Tkappfolder.h"
#include "store/Tprojectdb.h"
#include "support/PrivateWorkFolder.h"
#include "ui/Tformdownloadentry.h"

#include <QCoreApplication>
#include <QLabel>
#include <QTimer>

#include <filesystem>
#include <memory>

namespace {

class DialogDownloadEntryTest : public DialogFixture {
protected:
  DialogDownloadEntryTest() {
    TAppConfig::GetInstance()->SetUseProxy(false);
    TAppConfig::GetInstance()->SetSleepTime(0);
    Db.New(GetDbFolder() + "blog.mdb");
  }

  void Prepare(TFormDownloadEntry& dialog, const ServedSample& sample) {
    dialog.SetStartUrl(sample.Url("/"));
    dialog.SetDb(&Db);
    dialog.SetNewEntryOnly(false);
    dialog.SetBlogConfig(BundledBlogType());
  }

  // The stored entries are the blog's newest ones, newest first.
  void ExpectNewestEntries(const ServedSample& sample, std::size_t count) {
    const std::vector<TEntry> entries = LoadEntries(Db);
    ASSERT_EQ(entries.size(), count);
    for (std::size_t i = 0; i < count; ++i) {
      const int number = sample.Blog.Options().Entries - static_cast<int>(i);
      EXPECT_EQ(entries[i].GetUrl(), sample.Url(TSampleBlog::EntryPath(number)));
      EXPECT_EQ(entries[i].GetTitle(), sample.Blog.EntryTitle(number));
    }
  }

  PrivateWorkFolder Work;
  TProjectDb Db;
};

TEST_F(DialogDownloadEntryTest, ReadsTheWholeBlogThenCloseIsEnabledAndTheLogStays) {
  ServedSample sample(12, 0);
  TFormDownloadEntry dialog;
  Prepare(dialog, sample);
  const CrawlDialogDriver driver(dialog);
  EXPECT_EQ(dialog.windowTitle(), QStringLiteral("エントリーの取得"));
  EXPECT_FALSE(driver.Close()->isEnabled());
  EXPECT_EQ(driver.Cancel()->text(), QStringLiteral("キャンセル(&C)"));
  EXPECT_EQ(driver.Close()->text(), QStringLiteral("閉じる(&X)"));
  dialog.open();
  ASSERT_TRUE(driver.WaitForEnd());

  EXPECT_TRUE(dialog.isVisible());
  EXPECT_FALSE(driver.Cancel()->isEnabled());
  const QStringList log = driver.Log();
  // The bundled blog type reads the top page's list, then the older entries' links.
  EXPECT_TRUE(log.first().startsWith(QString::fromStdString("OK: " + sample.Url("/") + " エントリーの一覧 (")))
      << log.first().toStdString();
  EXPECT_EQ(log.last(), QStringLiteral("終了しました。"));
  EXPECT_EQ(driver.OkLines(), 13);
  EXPECT_EQ(dialog.findChild<QLabel*>(QStringLiteral("LabelUrl"))->text().toStdString(),
            sample.Url(TSampleBlog::EntryPath(1)));
  ExpectNewestEntries(sample, 12);
  EXPECT_TRUE(driver.Close()->isDefault());

  driver.Close()->click();
  EXPECT_FALSE(dialog.isVisible());
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
}

TEST_F(DialogDownloadEntryTest, CancelOrEscStopsTheCrawlKeepsWhatWasReadAndClosesTheDialog) {
  for (const bool escape : {false, true}) {
    SCOPED_TRACE(escape ? "Esc" : "Cancel");
    Db.New(GetDbFolder() + "blog.mdb");
    ServedSample sample(60, 100);
    TFormDownloadEntry dialog;
    Prepare(dialog, sample);
    const CrawlDialogDriver driver(dialog);
    dialog.open();
    ASSERT_TRUE(driver.WaitForOkLines(3));
    if (escape)
      QTest::keyClick(&dialog, Qt::Key_Escape);
    else
      driver.Cancel()->click();
    // The dialog waits for the crawl to stop.
    EXPECT_TRUE(dialog.isVisible());
    ASSERT_TRUE(driver.WaitUntilClosed());

    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_EQ(driver.Log().last(), QStringLiteral("終了しました。"));
    const int read = driver.OkLines() - 1;
    EXPECT_GE(read, 2);
    EXPECT_LT(read, 60);
    ExpectNewestEntries(sample, static_cast<std::size_t>(read));
  }
}

TEST_F(DialogDownloadEntryTest, TheCloseBoxLetsTheCrawlRunToItsEndThenCloses) {
  ServedSample sample(15, 30);
  TFormDownloadEntry dialog;
  Prepare(dialog, sample);
  const CrawlDialogDriver driver(dialog);
  dialog.open();
  ASSERT_TRUE(driver.WaitForOkLines(2));
  EXPECT_FALSE(dialog.close());
  EXPECT_TRUE(dialog.isVisible());
  ASSERT_TRUE(driver.WaitUntilClosed());

  EXPECT_EQ(driver.Log().last(), QStringLiteral("終了しました。"));
  EXPECT_EQ(driver.OkLines(), 16);
  ExpectNewestEntries(sample, 15);
}

TEST_F(DialogDownloadEntryTest, ExecReturnsWhenTheCrawlStoppedByAnEarlyEscHasEnded) {
  ServedSample sample(30, 50);
  TFormDownloadEntry dialog;
  Prepare(dialog, sample);
  QTimer::singleShot(0, &dialog, [&] { QTest::keyClick(&dialog, Qt::Key_Escape); });
  EXPECT_EQ(dialog.exec(), QDialog::Rejected);
  const CrawlDialogDriver driver(dialog);
  EXPECT_EQ(driver.Log().last(), QStringLiteral("終了しました。"));
  EXPECT_LT(LoadEntries(Db).size(), 30u);
}

TEST_F(DialogDownloadEntryTest, AFailureBeforeTheCrawlBeganIsShownAndCancelThenCloses) {
  ServedSample sample(3, 0);
  // The working copy is gone: emptying the entry table fails, naming it.
  Db.Close();
  const std::filesystem::path work = Db.GetWorkFileName();
  std::filesystem::remove(work);
  TFormDownloadEntry dialog;
  Prepare(dialog, sample);
  const CrawlDialogDriver driver(dialog);
  Prompts->ExpectMessage(QString::fromStdString(work.filename().string()));
  dialog.open();
  ASSERT_TRUE(QTest::qWaitFor([&] { return Prompts->AllAnswered(); }, 60000));
  EXPECT_TRUE(driver.Log().isEmpty());
  EXPECT_TRUE(driver.Cancel()->isEnabled());
  EXPECT_FALSE(driver.Close()->isEnabled());
  driver.Cancel()->click();
  EXPECT_FALSE(dialog.isVisible());
  EXPECT_EQ(dialog.result(), QDialog::Rejected);
}

TEST_F(DialogDownloadEntryTest, ADialogDestroyedMidCrawlStopsItFirst) {
  ServedSample sample(60, 100);
  auto dialog = std::make_unique<TFormDownloadEntry>();
  Prepare(*dialog, sample);
  dialog->open();
  ASSERT_TRUE(CrawlDialogDriver(*dialog).WaitForOkLines(2));
  dialog.reset();
  // Posts of the ended crawl reach nothing; the project is usable again.
  QCoreApplication::processEvents();
  EXPECT_LT(LoadEntries(Db).size(), 60u);
}

}
