// The make run's status dialog: the export off the window's thread, then the
// template program started, or the failure shown; the busy cursor never stays.
#include "DialogFixture.h"

#include "store/Tentry.h"
#include "store/Tkappfolder.h"
#include "store/Tkdatetime.h"
#include "store/Tprojectdb.h"
#include "support/PrivateWorkFolder.h"
#include "support/TempFolder.h"
#include "toc/Ttemplatemanager.h"
#include "toc/Ttemplateprogramwatcher.h"
#include "ui/Tformmakinghtmlstatus.h"

#include <QApplication>
#include <QLabel>
#include <QSignalSpy>
#include <QTest>

#include <filesystem>
#include <stdexcept>

namespace {

THtmlTemplate BundledTemplate() {
  TTemplateManager manager;
  manager.Load();
  for (const THtmlTemplate& htmlTemplate : manager.GetTemplates())
    if (htmlTemplate.GetName() == "カテゴリ別目次")
      return htmlTemplate;
  throw std::runtime_error("the bundled template is missing");
}

class DialogMakingHtmlStatusTest : public DialogFixture {
protected:
  DialogMakingHtmlStatusTest() {
    Db.New(GetDbFolder() + "blog.mdb");
    InsertEntry(Db, "http://example.com/entry/2.html", "二つ目の記事", *DayNumber(2024, 5, 2, 9, 0, 0), false);
    InsertEntry(Db, "http://example.com/entry/1.html", "一つ目の記事", *DayNumber(2024, 5, 1, 9, 0, 0), false);
    WriteFile(Folder.File("broken.ini"), "[TEMPLATE]\nname=壊れた目次\nexe=no-such-program\n");
  }

  void Prepare(TFormMakingHtmlStatus& dialog, const std::string& dataFile,
               const THtmlTemplate* htmlTemplate) {
    dialog.SetDataFile(dataFile);
    dialog.SetHtmlConfig({"タイトル=私の目次", "説明=", "並び順=", "コメント表示=", "未分類の見出し="});
    dialog.SetDb(&Db);
    dialog.SetTemplate(htmlTemplate);
    dialog.SetOutputFile(Output);
  }

  PrivateWorkFolder Work;
  TempFolder Folder;
  TProjectDb Db;
  const std::string Output = Folder.File("目次 出力.html");
};

TEST_F(DialogMakingHtmlStatusTest, ExportsThenStartsTheProgramWhichWritesTheTableOfContents) {
  const THtmlTemplate htmlTemplate = BundledTemplate();
  TTemplateProgramWatcher watcher;
  QSignalSpy finished(&watcher, &TTemplateProgramWatcher::Finished);
  TFormMakingHtmlStatus dialog;
  Prepare(dialog, GetDbFolder() + "html.mdb", &htmlTemplate);
  dialog.SetWatcher(&watcher);
  EXPECT_TRUE(dialog.windowFlags().testFlag(Qt::FramelessWindowHint));
  EXPECT_EQ(dialog.findChild<QLabel*>()->text(), QStringLiteral("ファイルを作成しています。"));
  EXPECT_EQ(dialog.GetOutcome().Result, TMakingHtmlOutcome::Kind::NotRun);

  EXPECT_EQ(dialog.exec(), QDialog::Accepted);
  EXPECT_EQ(dialog.GetOutcome().Result, TMakingHtmlOutcome::Kind::Started);
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  ASSERT_TRUE(finished.wait(60000));
  EXPECT_EQ(finished.first().at(0).toInt(), 0) << finished.first().at(1).toString().toStdString();
  const std::string html = ReadFile(Output);
  EXPECT_NE(html.find("私の目次"), std::string::npos);
  EXPECT_NE(html.find("一つ目の記事"), std::string::npos);
  EXPECT_NE(html.find("二つ目の記事"), std::string::npos);
}

TEST_F(DialogMakingHtmlStatusTest, FailuresAreShownAndNothingIsLeftRunningOrBusy) {
  const THtmlTemplate bundled = BundledTemplate();
  const THtmlTemplate broken(Folder.File("broken.ini"));
  struct Case {
    const char* Name;
    std::string DataFile;
    const THtmlTemplate* Template;
    bool Watched;
    // Empty when the program is started and the watcher tells the failure.
    QString Message;
  };
  const std::vector<Case> cases = {
      {"no blank data file", Folder.File("missing.mdb"), &bundled, true,
       QStringLiteral("データファイルの作成に失敗しました。")},
      {"a program that cannot start, detached", GetDbFolder() + "html.mdb", &broken, false,
       QStringLiteral("テンプレートプログラムを起動できません。")},
      {"a program that cannot start, watched", GetDbFolder() + "html.mdb", &broken, true, QString()},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    TTemplateProgramWatcher watcher;
    QSignalSpy failed(&watcher, &TTemplateProgramWatcher::Failed);
    TFormMakingHtmlStatus dialog;
    Prepare(dialog, c.DataFile, c.Template);
    if (c.Watched)
      dialog.SetWatcher(&watcher);
    if (!c.Message.isEmpty())
      Prompts->ExpectMessage(c.Message);
    const int result = dialog.exec();
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_TRUE(Prompts->AllAnswered());
    if (c.Message.isEmpty()) {
      EXPECT_EQ(result, QDialog::Accepted);
      EXPECT_EQ(dialog.GetOutcome().Result, TMakingHtmlOutcome::Kind::Started);
      ASSERT_TRUE(failed.count() > 0 || failed.wait(60000));
      EXPECT_TRUE(
          failed.first().at(0).toString().contains(QStringLiteral("テンプレートプログラムを起動できません。")));
    } else {
      EXPECT_EQ(result, QDialog::Rejected);
      EXPECT_EQ(dialog.GetOutcome().Result, TMakingHtmlOutcome::Kind::Failed);
      EXPECT_TRUE(dialog.GetOutcome().Message.contains(c.Message));
    }
    EXPECT_FALSE(std::filesystem::exists(Output));
  }
}

}
