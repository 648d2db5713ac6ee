// Project files in the window: New, Open, Save and Save As with the settings on
// screen, the question before unsaved work is dropped, one window per project,
// and the recovery of a crashed run's work.
#include "MainWindowFixture.h"
#include "ModalDialogs.h"

#include "store/Tentry.h"
#include "store/Tkmdbutility.h"
#include "store/Tkworkcopy.h"
#include "ui/Tformcategory.h"

#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPushButton>

#include <algorithm>
#include <chrono>
#include <functional>

#include <sys/wait.h>
#include <unistd.h>

namespace {

using namespace Qt::StringLiterals;

class MainWindowProjectFilesTest : public MainWindowFixture {
protected:
  struct Screen {
    QString BlogType;
    QString Url;
    std::vector<std::pair<QString, QString>> Categories;
  };

  static void Show(TFormMain& window, const Screen& screen) {
    Ui::TFormMain& form = window.GetUi();
    form.ComboBoxBlogType->setCurrentText(screen.BlogType);
    form.EditEntryUrl->setText(screen.Url);
    form.ListViewCategory->clear();
    for (const auto& [name, url] : screen.Categories)
      new QTreeWidgetItem(form.ListViewCategory, {name, url});
    window.SetModified(true);
  }

  static Screen Read(TFormMain& window) {
    Ui::TFormMain& form = window.GetUi();
    Screen screen{form.ComboBoxBlogType->currentText(), form.EditEntryUrl->text(), {}};
    for (int row = 0; row < form.ListViewCategory->topLevelItemCount(); ++row) {
      const QTreeWidgetItem* item = form.ListViewCategory->topLevelItem(row);
      screen.Categories.emplace_back(item->text(0), item->text(1));
    }
    return screen;
  }

  static void ExpectShown(TFormMain& window, const Screen& expected) {
    const Screen shown = Read(window);
    EXPECT_EQ(shown.BlogType, expected.BlogType);
    EXPECT_EQ(shown.Url, expected.Url);
    EXPECT_EQ(shown.Categories, expected.Categories);
  }

  // Runs work on a project database in a child process that then dies without
  // cleaning up, as a crash does.
  static void CrashAfter(const std::function<void(TProjectDb&)>& work) {
    const pid_t child = fork();
    if (child == 0) {
      auto* db = new TProjectDb;
      work(*db);
      _exit(0);
    }
    int status = 0;
    waitpid(child, &status, 0);
  }

  std::string SavedProject(const std::string& name, const std::string& url) {
    const std::string path = Files.File(name);
    TProjectDb db;
    db.New(GetDbFolder() + "blog.mdb");
    TProject project;
    project.SetEntryUrl(url);
    project.Save(path, db);
    return path;
  }
};

TEST_F(MainWindowProjectFilesTest, SettingsOnScreenSurviveSaveNewAndOpen) {
  TFormMain& window = StartWindow(BlogTypes({"ブログA", "ブログB"}));
  const Screen first{u"ブログB"_s, u"http://blog.example/"_s,
                     {{u"日記"_s, u"http://blog.example/c/1"_s}, {u"旅行 と 食事"_s, u"http://blog.example/c/2"_s}}};
  Show(window, first);
  window.GetUi().CheckBoxDownloadNewEntryOnly->setChecked(true);
  EXPECT_EQ(window.windowTitle(), u"Tocwerk*"_s);

  const QString firstFile = QString::fromStdString(Files.File("first.proj"));
  Prompts->ExpectChoice(u"保存しますか"_s, 0);
  Prompts->ExpectSaveFile(firstFile);
  Trigger(window, "ActionFileNew");
  EXPECT_EQ(window.windowTitle(), u"Tocwerk"_s);
  ExpectShown(window, {u"ブログA"_s, {}, {}});
  EXPECT_TRUE(window.GetUi().CheckBoxDownloadNewEntryOnly->isChecked()) << "not a project setting";

  Prompts->ExpectOpenFile(firstFile);
  Trigger(window, "ActionFileOpen");
  ExpectShown(window, first);
  EXPECT_EQ(window.windowTitle(), u"Tocwerk - first.proj"_s);
  EXPECT_FALSE(window.IsModified());

  const Screen second{u"ブログA"_s, u"http://other.example/"_s, {{u"料理"_s, u"http://other.example/c"_s}}};
  Show(window, second);
  Trigger(window, "ActionFileSave");
  EXPECT_EQ(window.windowTitle(), u"Tocwerk - first.proj"_s) << "Save keeps the name and asks nothing";

  const QString copy = QString::fromStdString(Files.File("copy.proj"));
  Show(window, first);
  Prompts->ExpectSaveFile(copy);
  Trigger(window, "ActionFileSaveAs");
  EXPECT_EQ(window.windowTitle(), u"Tocwerk - copy.proj"_s);

  for (const auto& [file, expected] : {std::pair<QString, Screen>{firstFile, second}, std::pair<QString, Screen>{copy, first}}) {
    SCOPED_TRACE(file.toStdString());
    Trigger(window, "ActionFileNew");
    Prompts->ExpectOpenFile(file);
    Trigger(window, "ActionFileOpen");
    ExpectShown(window, expected);
  }
}

TEST_F(MainWindowProjectFilesTest, AFailedOpenOrSaveAsKeepsTheCurrentProject) {
  TFormMain& window = StartWindow(BlogTypes({"ブログA"}));
  const QString good = QString::fromStdString(SavedProject("good.proj", "http://good.example/"));
  Prompts->ExpectOpenFile(good);
  Trigger(window, "ActionFileOpen");
  InsertEntry(window.GetDb(), "http://good.example/1", "記事", 45000, false);

  const std::string broken = Files.File("broken.proj");
  WriteFile(broken, std::string(4096, 'x'));
  struct Case {
    std::string File;
    QString Message;
  };
  const std::vector<Case> cases = {
      {broken, u"を開けません。プロジェクトファイルではないか、壊れています。"_s},
      {Files.File("missing.proj"), u"データファイルの作成に失敗しました。"_s},
  };
  for (const Case& failing : cases) {
    SCOPED_TRACE(failing.File);
    Prompts->ExpectOpenFile(QString::fromStdString(failing.File));
    Prompts->ExpectMessage(failing.Message);
    Trigger(window, "ActionFileOpen");
    EXPECT_EQ(window.windowTitle(), u"Tocwerk - good.proj"_s);
    EXPECT_EQ(window.GetUi().EditEntryUrl->text(), u"http://good.example/"_s);
    EXPECT_EQ(GetMaxEntryId(window.GetDb(), false), 1) << "the working copy is untouched";
  }

  Prompts->ExpectSaveFile(QString::fromStdString(Files.File("no-such-folder/copy.proj")));
  Prompts->ExpectMessage(u"に保存できません。"_s);
  Trigger(window, "ActionFileSaveAs");
  EXPECT_EQ(window.GetProject().GetFileName(), good.toStdString());
  Trigger(window, "ActionFileSave");
  EXPECT_EQ(window.windowTitle(), u"Tocwerk - good.proj"_s) << "Save goes to the file the window had";
  TProjectDb reader;
  reader.SetReadOnly(true);
  TProject reread;
  reread.Load(good.toStdString(), reader);
  EXPECT_EQ(GetMaxEntryId(reader, false), 1);
}

TEST_F(MainWindowProjectFilesTest, UnsavedWorkIsOnlyDroppedWhenTheUserSaysSo) {
  enum Command { New, Open, Close };
  enum Answer { Save, DontSave, Cancel, SaveButCancelTheName };
  struct Case {
    Command Run;
    Answer Given;
    bool Proceeds;
    bool Saved;
  };
  const std::vector<Case> cases = {
      {New, Save, true, true},       {New, DontSave, true, false},      {New, Cancel, false, false},
      {Open, Save, true, true},      {Open, DontSave, true, false},     {Open, Cancel, false, false},
      {Close, Save, true, true},     {Close, DontSave, true, false},    {Close, Cancel, false, false},
      {Close, SaveButCancelTheName, false, false}, {New, SaveButCancelTheName, false, false},
  };
  const QString other = QString::fromStdString(SavedProject("other.proj", "http://other.example/"));
  int count = 0;
  for (const Case& test : cases) {
    SCOPED_TRACE("command " + std::to_string(test.Run) + ", answer " + std::to_string(test.Given));
    TFormMain& window = StartWindow(BlogTypes({"ブログA"}));
    window.GetUi().EditEntryUrl->setText(u"http://mine.example/"_s);
    emit window.GetUi().EditEntryUrl->textEdited(u"http://mine.example/"_s);
    ASSERT_TRUE(window.IsModified());

    const QString target = QString::fromStdString(Files.File("unsaved" + std::to_string(++count) + ".proj"));
    Prompts->ExpectChoice(u"プロジェクトは変更されています。保存しますか？"_s,
                          test.Given == DontSave ? 1 : test.Given == Cancel ? 2 : 0);
    if (test.Given == Save)
      Prompts->ExpectSaveFile(target);
    if (test.Given == SaveButCancelTheName)
      Prompts->ExpectSaveFile(std::nullopt);
    if (test.Run == Open && test.Proceeds)
      Prompts->ExpectOpenFile(other);

    bool closed = false;
    if (test.Run == Close)
      closed = window.close();
    else
      Trigger(window, test.Run == New ? "ActionFileNew" : "ActionFileOpen");

    EXPECT_EQ(std::filesystem::exists(target.toStdString()), test.Saved);
    if (test.Run == Close) {
      EXPECT_EQ(closed, test.Proceeds);
    } else {
      const QString expectedUrl = !test.Proceeds ? u"http://mine.example/"_s
                                  : test.Run == Open ? u"http://other.example/"_s : QString();
      EXPECT_EQ(window.GetUi().EditEntryUrl->text(), expectedUrl);
      EXPECT_EQ(window.IsModified(), !test.Proceeds);
    }
    EXPECT_TRUE(Prompts->AllAnswered());
    Windows.clear();
  }
}

TEST_F(MainWindowProjectFilesTest, ASecondWindowCannotOpenAProjectThatIsOpen) {
  const QString shared = QString::fromStdString(SavedProject("shared.proj", "http://shared.example/"));
  TFormMain& first = StartWindow(BlogTypes({"ブログA"}));
  Prompts->ExpectOpenFile(shared);
  Trigger(first, "ActionFileOpen");

  TFormMain& second = StartWindow(BlogTypes({"ブログA"}));
  Prompts->ExpectOpenFile(shared);
  Prompts->ExpectMessage(u"は別の Tocwerk が使用中です。"_s);
  Trigger(second, "ActionFileOpen");
  EXPECT_EQ(second.windowTitle(), u"Tocwerk"_s);
  EXPECT_TRUE(second.GetUi().EditEntryUrl->text().isEmpty());

  Trigger(first, "ActionFileNew");
  Prompts->ExpectOpenFile(shared);
  Trigger(second, "ActionFileOpen");
  EXPECT_EQ(second.windowTitle(), u"Tocwerk - shared.proj"_s) << "New gave the project up";
}

TEST_F(MainWindowProjectFilesTest, TheWorkOfACrashedRunIsOfferedForRecovery) {
  const std::string later = SavedProject("later.proj", "http://later.example/");
  const std::string dropped = SavedProject("dropped.proj", "http://dropped.example/");
  const std::string restored = SavedProject("restored.proj", "http://restored.example/");
  for (const std::string& project : {later, dropped, restored})
    CrashAfter([&project](TProjectDb& db) {
      TProject loaded;
      loaded.Load(project, db);
      InsertEntry(db, loaded.GetEntryUrl() + "1", "保存していない記事", 45000, false);
    });
  // They are offered oldest first; the crashes came within one second.
  const std::vector<std::string> order = {later, dropped, restored};
  const std::vector<TWorkCopyInfo> orphans = TProjectDb::ListOrphanedWorkCopies();
  ASSERT_EQ(orphans.size(), 3u);
  const auto now = std::filesystem::file_time_type::clock::now();
  for (const TWorkCopyInfo& orphan : orphans) {
    const auto age = order.end() - std::find(order.begin(), order.end(), orphan.ProjectFile);
    for (const std::string& file : {orphan.WorkFile, orphan.WorkFile + "-wal"})
      std::filesystem::last_write_time(file, now - std::chrono::minutes(age));
  }

  const QString question = u"前回異常終了したときの作業内容があります。復元しますか？"_s;
  Prompts->ExpectChoice(question + u"\n\n"_s + QString::fromStdString(later), 2);
  Prompts->ExpectChoice(question + u"\n\n"_s + QString::fromStdString(dropped), 1);
  Prompts->ExpectChoice(question + u"\n\n"_s + QString::fromStdString(restored), 0);
  TFormMain& window = StartWindow(BlogTypes({"ブログA"}));

  EXPECT_EQ(window.GetUi().EditEntryUrl->text(), u"http://restored.example/"_s);
  EXPECT_EQ(window.windowTitle(), u"Tocwerk - restored.proj*"_s);
  EXPECT_EQ(window.GetProject().GetFileName(), restored);
  EXPECT_EQ(GetMaxEntryId(window.GetDb(), false), 1) << "the unsaved entry is back";

  const std::vector<TWorkCopyInfo> left = TProjectDb::ListOrphanedWorkCopies();
  ASSERT_EQ(left.size(), 1u);
  EXPECT_EQ(left[0].ProjectFile, later);

  Trigger(window, "ActionFileSave");
  TProjectDb reader;
  reader.SetReadOnly(true);
  TProject reread;
  reread.Load(restored, reader);
  EXPECT_EQ(GetMaxEntryId(reader, false), 1) << "Save writes the recovered work to its project file";
}

// What the user changes on screen is in the working copy at once, so that a crash
// before Save loses none of it: the image of the working copy as a crash would
// leave it, journal and all, reads back as the screen showed it.
TEST_F(MainWindowProjectFilesTest, SettingsEditedOnScreenAreInTheWorkingCopyBeforeSave) {
  TFormMain& window = StartWindow(BlogTypes({"ブログA", "ブログB"}));
  Ui::TFormMain& form = window.GetUi();
  form.ComboBoxBlogType->setCurrentIndex(1);
  emit form.ComboBoxBlogType->activated(1);
  QTest::keyClicks(form.EditEntryUrl, u"http://edited.example/"_s);
  WhenShown<TFormCategory>([](TFormCategory& dialog) {
    dialog.findChild<QLineEdit*>(u"EditName"_s)->setText(u"日記"_s);
    dialog.findChild<QLineEdit*>(u"EditUrl"_s)->setText(u"http://edited.example/diary/"_s);
    dialog.findChild<QDialogButtonBox*>(u"ButtonBox"_s)->button(QDialogButtonBox::Ok)->click();
  });
  form.ButtonInsertCategory->click();
  ASSERT_GT(form.EditHtmlConf->rowCount(), 0);
  const std::string settingName = form.EditHtmlConf->item(0, 0)->text().toStdString();
  form.EditHtmlConf->item(0, 1)->setText(u"編集した値"_s);

  const std::string image = Files.File("image.proj");
  for (const std::string suffix : {"", "-wal"})
    std::filesystem::copy_file(window.GetDb().GetWorkFileName() + suffix, image + suffix);
  FoldWriteAheadLog(image);
  TProjectDb reader;
  reader.SetReadOnly(true);
  TProject crashed;
  crashed.Load(image, reader);
  EXPECT_EQ(crashed.GetBlogTypeName(), "ブログB");
  EXPECT_EQ(crashed.GetEntryUrl(), "http://edited.example/");
  ASSERT_EQ(crashed.GetCategoryCount(), 1u);
  EXPECT_EQ(crashed.GetCategory(0).url, "http://edited.example/diary/");
  EXPECT_EQ(crashed.GetHtmlSettings()[settingName], "編集した値");
}

// Started with a project file while a crashed run's work waits, the window keeps
// the work it recovered and says that the file was not opened.
TEST_F(MainWindowProjectFilesTest, AProjectNamedAtTheStartDoesNotReplaceRecoveredWork) {
  const std::string crashed = SavedProject("crashed.proj", "http://crashed.example/");
  const std::string named = SavedProject("named.proj", "http://named.example/");
  CrashAfter([&crashed](TProjectDb& db) {
    TProject loaded;
    loaded.Load(crashed, db);
    InsertEntry(db, "http://crashed.example/1", "保存していない記事", 45000, false);
  });
  Prompts->ExpectChoice(u"前回異常終了したときの作業内容があります。"_s, 0);
  Prompts->ExpectMessage(u"次のファイルは開きませんでした。"_s);
  auto window = std::make_unique<TFormMain>();
  window->SetBlogTypeFolder(BlogTypes({"ブログA"}));
  window->SetStartupProject(QString::fromStdString(named));
  window->show();
  ASSERT_TRUE(QTest::qWaitFor([&] { return window->IsStarted(); }, 10000));
  EXPECT_NE(Prompts->GetSeen().back().Text.indexOf(QString::fromStdString(named)), -1);
  EXPECT_EQ(window->GetUi().EditEntryUrl->text(), u"http://crashed.example/"_s);
  EXPECT_EQ(GetMaxEntryId(window->GetDb(), false), 1) << "the recovered entry is still there";
  Windows.push_back(std::move(window));
}

// Esc and the close box of the real boxes mean "no change": recovery waits for
// a later start, the category stays, the unsaved project stays open.
TEST_F(MainWindowProjectFilesTest, EscAndTheCloseBoxOfAQuestionChangeNothing) {
  UseRealPrompts();
  for (const bool byEsc : {true, false}) {
    SCOPED_TRACE(byEsc ? "Esc" : "close box");
    const std::string project = SavedProject(byEsc ? "esc.proj" : "close.proj", "http://crashed.example/");
    CrashAfter([&project](TProjectDb& db) {
      TProject loaded;
      loaded.Load(project, db);
    });
    DeclineNextBox(byEsc);
    TFormMain& window = StartWindow(BlogTypes({"ブログA"}));
    Ui::TFormMain& form = window.GetUi();
    EXPECT_TRUE(form.EditEntryUrl->text().isEmpty());
    const std::vector<TWorkCopyInfo> orphans = TProjectDb::ListOrphanedWorkCopies();
    ASSERT_EQ(orphans.size(), 1u) << "offered again at the next start";
    TProjectDb::DiscardOrphanedWorkCopy(orphans[0]);

    auto* row = new QTreeWidgetItem(form.ListViewCategory, {u"日記"_s, u"http://b/diary/"_s});
    row->setSelected(true);
    window.SetModified(false);
    DeclineNextBox(byEsc);
    Trigger(window, "ActionDeleteCategory");
    EXPECT_EQ(form.ListViewCategory->topLevelItemCount(), 1);
    EXPECT_FALSE(window.IsModified());

    form.EditEntryUrl->setText(u"http://mine.example/"_s);
    window.SetModified(true);
    DeclineNextBox(byEsc);
    Trigger(window, "ActionFileNew");
    EXPECT_EQ(form.EditEntryUrl->text(), u"http://mine.example/"_s);
    EXPECT_TRUE(window.IsModified());
    DeclineNextBox(byEsc);
    EXPECT_FALSE(window.close());
    window.SetModified(false);
    Windows.clear();
  }
}

// Choosing the blog type already chosen changes nothing; Ctrl+Q closes the
// window through the unsaved-changes question.
TEST_F(MainWindowProjectFilesTest, OnlyAnotherBlogTypeMarksTheProjectAndCtrlQQuits) {
  TFormMain& window = StartWindow(BlogTypes({"ブログA", "ブログB"}));
  QComboBox* blogTypes = window.GetUi().ComboBoxBlogType;
  emit blogTypes->activated(blogTypes->currentIndex());
  EXPECT_FALSE(window.IsModified()) << "the same blog type again";
  blogTypes->setCurrentIndex(1);
  emit blogTypes->activated(1);
  EXPECT_TRUE(window.IsModified());

  window.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
  Prompts->ExpectChoice(u"保存しますか"_s, 2);
  QTest::keyClick(&window, Qt::Key_Q, Qt::ControlModifier);
  EXPECT_TRUE(window.isVisible()) << "cancelled";
  Prompts->ExpectChoice(u"保存しますか"_s, 1);
  QTest::keyClick(&window, Qt::Key_Q, Qt::ControlModifier);
  EXPECT_FALSE(window.isVisible());
}

}
