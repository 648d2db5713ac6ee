// The make command of the table-of-contents page: the bundled template writes the
// table of contents of a crawled sample blog and the status bar says so; programs
// that fail or cannot start are reported with what they said.
#include "MainWindowFixture.h"
#include "ModalDialogs.h"
#include "ServedSample.h"

#include "app/Toutputnotice.h"
#include "ui/Telidedlabel.h"
#include "ui/Tformdownloadentry.h"

#include <QLabel>
#include <QPushButton>

#include <filesystem>

namespace {

using namespace Qt::StringLiterals;

class HtmlPageMakeTest : public MainWindowFixture {
protected:
  static QString NoticeText(TFormMain& window) {
    const auto* label = window.findChild<TElidedLabel*>(u"LabelOutputNotice"_s);
    return label ? label->GetFullText() : QString();
  }

  static void SetValue(Ui::TFormMain& form, const QString& name, const QString& value) {
    for (int row = 0; row < form.EditHtmlConf->rowCount(); ++row)
      if (form.EditHtmlConf->item(row, 0)->text() == name)
        form.EditHtmlConf->item(row, 1)->setText(value);
  }
};

TEST_F(HtmlPageMakeTest, TheBundledTemplateWritesTheTableOfContentsAndTheStatusBarOffersIt) {
  ServedSample sample(20, 0);
  TFormMain& window = StartWindow();
  Ui::TFormMain& form = window.GetUi();
  form.ComboBoxBlogType->setCurrentIndex(
      form.ComboBoxBlogType->findText(QString::fromStdString(BundledBlogType().GetName())));
  form.EditEntryUrl->setText(QString::fromStdString(sample.Url("/")));
  CrawlSeen crawl;
  RunToTheEnd<TFormDownloadEntry>(crawl);
  Trigger(window, "ActionDownloadEntry");
  ASSERT_FALSE(crawl.Log.isEmpty());

  ASSERT_GT(form.ComboBoxHtmlTemplate->count(), 0);
  SetValue(form, u"タイトル"_s, u"サンプルの目次"_s);
  window.SetModified(false);

  // Cancelling the save dialog starts nothing.
  Prompts->ExpectSaveFile(std::nullopt);
  Trigger(window, "ActionHtmlMake");
  EXPECT_TRUE(NoticeText(window).isEmpty());

  const std::string output = Files.File("目次.html");
  Prompts->ExpectSaveFile(QString::fromStdString(output));
  Trigger(window, "ActionHtmlMake");
  ASSERT_TRUE(QTest::qWaitFor([&] { return NoticeText(window).startsWith(u"目次を作成しました"_s); }, 30000))
      << NoticeText(window).toStdString();
  EXPECT_TRUE(NoticeText(window).contains(QString::fromStdString(output)));
  const std::string html = ReadFile(output);
  EXPECT_NE(html.find("サンプルの目次"), std::string::npos) << "the editor's values as they stand";
  EXPECT_NE(html.find(sample.Blog.EntryTitle(20)), std::string::npos);
  EXPECT_FALSE(window.IsModified()) << "making neither saves nor changes the project";
  EXPECT_TRUE(window.GetProject().GetHtmlSettings().empty());

  auto* open = window.findChild<QPushButton*>(u"ButtonOpenOutput"_s);
  ASSERT_NE(open, nullptr);
  EXPECT_TRUE(open->isVisibleTo(&window));
}

TEST_F(HtmlPageMakeTest, AProgramThatFailsIsReportedWithWhatItSaid) {
  const std::string folder = EmptyFolder();
  struct Case {
    const char* Template;
    const char* Program;
    // The script written as the program; none for a program that is missing.
    const char* Script;
    QStringList Fragments;
  };
  const std::vector<Case> cases = {
      {"exit", "exit.sh", "#!/bin/sh\necho '設定が足りません' >&2\nexit 3\n",
       {u"終了コード 3"_s, u"設定が足りません"_s}},
      {"crash", "crash.sh", "#!/bin/sh\necho 'もう駄目です' >&2\nkill -SEGV $$\n",
       {u"異常終了しました"_s, u"もう駄目です"_s}},
      {"missing", "missing.sh", nullptr, {u"起動できません"_s}},
  };
  for (const Case& c : cases) {
    WriteFile(folder + c.Template + ".ini",
              std::string("[TEMPLATE]\nname=") + c.Template + "\nexe=" + c.Program + "\n[CONFIG]\n1=タイトル\n");
    if (c.Script) {
      WriteFile(folder + c.Program, c.Script);
      std::filesystem::permissions(folder + c.Program, std::filesystem::perms::owner_all);
    }
  }
  TFormMain& window = StartWindow({}, folder);
  Ui::TFormMain& form = window.GetUi();

  for (const Case& c : cases) {
    SCOPED_TRACE(c.Template);
    const int index = form.ComboBoxHtmlTemplate->findText(QString::fromLatin1(c.Template));
    ASSERT_GE(index, 0);
    form.ComboBoxHtmlTemplate->setCurrentIndex(index);
    emit form.ComboBoxHtmlTemplate->activated(index);
    const std::size_t seen = Prompts->GetSeen().size();
    Prompts->ExpectSaveFile(QString::fromStdString(Files.File(std::string(c.Template) + ".html")));
    Prompts->ExpectMessage(c.Fragments.front());
    Trigger(window, "ActionHtmlMake");
    ASSERT_TRUE(QTest::qWaitFor([&] { return Prompts->AllAnswered(); }, 30000));
    ASSERT_EQ(Prompts->GetSeen().size(), seen + 2);
    for (const QString& fragment : c.Fragments)
      EXPECT_TRUE(Prompts->GetSeen().back().Text.contains(fragment)) << Prompts->GetSeen().back().Text.toStdString();
    EXPECT_FALSE(NoticeText(window).startsWith(u"目次を作成しました"_s));
  }
}


TEST_F(HtmlPageMakeTest, WarningsOfARunThatSucceededAreShown) {
  TFormMain& window = StartWindow();
  Ui::TFormMain& form = window.GetUi();
  ASSERT_GT(form.ComboBoxHtmlTemplate->count(), 0);
  SetValue(form, u"並び順"_s, u"古い<b>"_s);

  Prompts->ExpectSaveFile(QString::fromStdString(Files.File("警告.html")));
  Prompts->ExpectMessage(u"警告"_s);
  Trigger(window, "ActionHtmlMake");
  ASSERT_TRUE(QTest::qWaitFor([&] { return Prompts->AllAnswered(); }, 30000));
  const QString shown = Prompts->GetSeen().back().Text;
  EXPECT_TRUE(shown.contains(u"並び順 の値「古い<b>」は使えません。新しい順 で作ります。"_s)) << shown.toStdString();
  EXPECT_TRUE(NoticeText(window).startsWith(u"目次を作成しました"_s)) << NoticeText(window).toStdString();
}

}
