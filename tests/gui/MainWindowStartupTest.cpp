// The window as it starts: its lists, its new project, its commands and caption.
#include "MainWindowFixture.h"
#include "ModalDialogs.h"

#include "net/Tappconfig.h"

#include <QAbstractButton>
#include <QDialogButtonBox>
#include <QKeySequence>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>
#include <QMenuBar>
#include <QStatusTipEvent>
#include <QToolBar>

namespace {

using namespace Qt::StringLiterals;

class MainWindowStartupTest : public MainWindowFixture {};

bool Holds(QWidget* container, QAction* action) {
  return container->actions().contains(action);
}

TEST_F(MainWindowStartupTest, StartupFillsTheBlogTypesAndMakesANewProject) {
  TFormMain& window = StartWindow(BlogTypes({"ブログA", "ブログB"}));
  Ui::TFormMain& form = window.GetUi();

  ASSERT_EQ(form.ComboBoxBlogType->count(), 2);
  EXPECT_EQ(form.ComboBoxBlogType->itemText(1), u"ブログB"_s);
  EXPECT_EQ(form.ComboBoxBlogType->currentIndex(), 0);
  EXPECT_EQ(form.ComboBoxBlogType->statusTip(), u"ブログAの説明"_s);
  EXPECT_EQ(window.GetSelectedBlogType().GetName(), "ブログA");
  EXPECT_EQ(window.windowTitle(), u"Tocwerk"_s);
  EXPECT_EQ(form.PageControl1->currentIndex(), 0);
  EXPECT_FALSE(window.IsModified());
  EXPECT_TRUE(window.GetProject().GetFileName().empty());
  EXPECT_TRUE(std::filesystem::exists(window.GetDb().GetWorkFileName()));

  form.ComboBoxBlogType->setCurrentIndex(1);
  emit form.ComboBoxBlogType->activated(1);
  EXPECT_EQ(form.ComboBoxBlogType->statusTip(), u"ブログBの説明"_s);
  EXPECT_EQ(window.windowTitle(), u"Tocwerk*"_s) << "choosing a blog type is a change to save";

  const std::string work = window.GetDb().GetWorkFileName();
  Prompts->ExpectChoice(u"保存しますか"_s, 1);
  EXPECT_TRUE(window.close());
  EXPECT_FALSE(std::filesystem::exists(work)) << "closing deletes the working copy";
}

TEST_F(MainWindowStartupTest, SameNamedBlogTypesAreToldApartButStoredByName) {
  TFormMain& window = StartWindow(BlogTypes({"WordPress", "WordPress", "Hexo"}));
  QComboBox* blogTypes = window.GetUi().ComboBoxBlogType;

  ASSERT_EQ(blogTypes->count(), 3);
  EXPECT_EQ(blogTypes->itemText(0), u"WordPress"_s);
  EXPECT_EQ(blogTypes->itemText(1), u"WordPress (type1.ini)"_s);
  EXPECT_EQ(blogTypes->itemText(2), u"Hexo"_s);

  blogTypes->setCurrentIndex(1);
  TProject project;
  window.CollectProjectSettings(project);
  EXPECT_EQ(project.GetBlogTypeName(), "WordPress") << "the label is no blog type's name";

  // A project keeps the name alone: it opens on the first blog type of that name.
  window.ApplyProjectSettings(project);
  EXPECT_EQ(blogTypes->currentIndex(), 0);
  project.SetBlogTypeName("Hexo");
  window.ApplyProjectSettings(project);
  EXPECT_EQ(blogTypes->currentIndex(), 2);
}

// The program's entry shows the message of what stopped the window.
TEST_F(MainWindowStartupTest, AWorkFolderThatIsALinkStopsTheWindowWithItsReason) {
  std::filesystem::create_directories(Files.File("cache/Tocwerk"));
  std::filesystem::create_directory_symlink(Files.Path(), Files.File("cache/Tocwerk/work"));
  const ScopedEnv cache("XDG_CACHE_HOME", Files.File("cache"));
  try {
    TFormMain window;
    ADD_FAILURE() << "the window started";
  } catch (const std::runtime_error& error) {
    EXPECT_NE(std::string(error.what()).find("cache/Tocwerk/work がシンボリックリンクです"), std::string::npos)
        << error.what();
  }
}

TEST_F(MainWindowStartupTest, EveryActionHasItsCaptionShortcutHintAndPlaces) {
  TFormMain& window = StartWindow();
  Ui::TFormMain& form = window.GetUi();
  QMenu* category = window.findChild<QMenu*>(u"PopupMenuCategory"_s);
  QMenu* comment = window.findChild<QMenu*>(u"PopupMenuComment"_s);
  ASSERT_TRUE(category && comment);

  struct Row {
    QAction* Action;
    QString Caption;
    QString Shortcut;
    QString Hint;
    std::vector<QWidget*> Places;
  };
  const std::vector<Row> table = {
      {form.ActionFileNew, u"新規作成(&N)"_s, u"Ctrl+N"_s, {}, {form.MenuFile, form.ControlBar1}},
      {form.ActionFileOpen, u"開く(&O)"_s, u"Ctrl+O"_s, {}, {form.MenuFile, form.ControlBar1}},
      {form.ActionFileSave, u"上書き保存(&S)"_s, u"Ctrl+S"_s, {}, {form.MenuFile, form.ControlBar1}},
      {form.ActionFileSaveAs, u"名前を付けて保存(&A)"_s, {}, {}, {form.MenuFile}},
      {form.ActionFileClose, u"閉じる(&X)"_s, u"Ctrl+Q"_s, {}, {form.MenuFile}},
      {form.ActionConfigGeneral, u"全般設定(&G)"_s, {}, {}, {form.MenuConfig}},
      {form.ActionHelpVersion, u"バージョン情報(&A)"_s, {}, {}, {form.MenuHelp}},
      {form.ActionBlogTypeHelp, u"ヘルプ(&P)"_s, {}, u"ブログの種類のヘルプを表示します。"_s, {}},
      {form.ActionDetectBlogType, u"自動判定(&U)"_s, {}, u"トップページを読んで、ブログの種類とカテゴリを判定します。"_s, {}},
      {form.ActionDownloadEntry, u"取得(&G)"_s, {}, u"ブログにアクセスして、エントリーのURLとタイトルを取得します。"_s, {}},
      {form.ActionInsertCategory, u"追加(&A)"_s, {}, u"カテゴリーを追加します。"_s, {category}},
      {form.ActionUpdateCategory, u"修正(&E)"_s, {}, u"選択しているカテゴリーを修正します。"_s, {category}},
      {form.ActionDeleteCategory, u"削除(&D)"_s, {}, u"選択しているカテゴリーを削除します。"_s, {category}},
      {form.ActionDownloadCategory, u"取得(&R)"_s, {}, u"ブログにアクセスして、各カテゴリーのエントリーを取得します。"_s, {category}},
      {form.ActionCommentEdit, u"編集"_s, {}, {}, {comment}},
      {form.ActionCommentOpenUrl, u"URLを開く"_s, {}, {}, {comment}},
      {form.ActionHtmlMake, u"ファイル作成(&S)"_s, {}, {}, {}},
      {form.ActionHtmlHelp, u"ヘルプ(&I)"_s, {}, {}, {}},
  };
  for (const Row& row : table) {
    SCOPED_TRACE(row.Caption.toStdString());
    EXPECT_EQ(row.Action->text(), row.Caption);
    EXPECT_EQ(row.Action->shortcut().toString(), row.Shortcut);
    EXPECT_EQ(row.Action->statusTip(), row.Hint);
    EXPECT_TRUE(row.Action->isEnabled());
    for (QWidget* place : row.Places)
      EXPECT_TRUE(Holds(place, row.Action)) << place->objectName().toStdString();
  }
  EXPECT_EQ(category->actions().size(), 5) << "four commands and a separator";
  EXPECT_EQ(form.ButtonDownloadCategory->statusTip(), form.ActionDownloadCategory->statusTip());
  EXPECT_EQ(form.ButtonHtmlMake->text(), u"ファイル作成(&S)"_s);

  QStatusTipEvent hint(form.ButtonInsertCategory->statusTip());
  QApplication::sendEvent(&window, &hint);
  EXPECT_EQ(window.statusBar()->currentMessage(), u"カテゴリーを追加します。"_s);

  const QStringList pages = {u"URLの設定(&1)"_s, u"コメントの設定(&2)"_s, u"HTMLファイルの作成(&3)"_s};
  for (int page = 0; page < pages.size(); ++page)
    EXPECT_EQ(form.PageControl1->tabText(page), pages[page]);

  // Alt and a letter: each letter reaches one menu, tab, label or button of the
  // window, whichever page shows.
  QStringList texts = pages;
  for (const QAction* menu : window.menuBar()->actions())
    texts << menu->text();
  for (const QAbstractButton* button : form.PageControl1->findChildren<QAbstractButton*>())
    texts << button->text();
  for (const QLabel* label : form.PageControl1->findChildren<QLabel*>())
    texts << label->text();
  QStringList letters;
  for (const QString& text : texts)
    if (const QKeySequence letter = QKeySequence::mnemonic(text); !letter.isEmpty())
      letters << letter.toString();
  EXPECT_EQ(letters.size(), 3 + 3 + 7 + 1 + 3) << letters.join(u' ').toStdString();
  EXPECT_EQ(letters.removeDuplicates(), 0) << letters.join(u' ').toStdString();
  for (QMenu* menu : {form.MenuFile, form.MenuConfig, form.MenuHelp}) {
    QStringList items;
    for (const QAction* action : menu->actions())
      if (!action->isSeparator())
        items << QKeySequence::mnemonic(action->text()).toString();
    EXPECT_FALSE(items.contains(QString())) << menu->title().toStdString();
    EXPECT_EQ(items.removeDuplicates(), 0) << menu->title().toStdString();
  }
  for (const auto& [page, key] : {std::pair(0, Qt::Key_P), std::pair(2, Qt::Key_I)}) {
    form.PageControl1->setCurrentIndex(page);
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    QString opened;
    WhenShown<QDialog>([&opened](QDialog& dialog) {
      opened = QString::fromLatin1(dialog.metaObject()->className());
      dialog.close();
    });
    // The button is pressed for a moment before it clicks.
    QTest::keyClick(window.windowHandle(), key, Qt::AltModifier);
    EXPECT_TRUE(QTest::qWaitFor([&opened] { return !opened.isEmpty(); }, 2000));
    EXPECT_EQ(opened, page == 0 ? u"TFormBlogTypeHelp"_s : u"TFormHtmlTemplateHelp"_s);
  }
}

TEST_F(MainWindowStartupTest, ABlogTypeThatFailsToLoadIsNamedAndLeftOut) {
  const std::string folder = BlogTypes({"ブログA"});
  WriteFile(Files.File("outside.js"), "");
  WriteFile(folder + "broken.ini", "[CONFIG]\nname=壊れた種類\n[SCRIPT]\nfile=../outside.js\n");
  Prompts->ExpectMessage(u"ブログの種類「壊れた種類」(broken.ini) を読み込めません"_s);
  TFormMain& window = StartWindow(folder);
  EXPECT_EQ(window.GetUi().ComboBoxBlogType->count(), 1);
  EXPECT_FALSE(window.HasStartupFailed());
}

TEST_F(MainWindowStartupTest, NoBlogTypesAndNoTemplatesStillMakeAProject) {
  TFormMain& window = StartWindow(EmptyFolder(), EmptyFolder());
  Ui::TFormMain& form = window.GetUi();
  EXPECT_FALSE(window.HasStartupFailed());
  EXPECT_EQ(form.ComboBoxBlogType->count(), 0);
  EXPECT_TRUE(form.ComboBoxBlogType->statusTip().isEmpty());
  EXPECT_THROW(window.GetSelectedBlogType(), std::out_of_range);

  form.EditEntryUrl->setText(u"http://blog.example/"_s);
  const std::string file = Files.File("none.proj");
  Prompts->ExpectSaveFile(QString::fromStdString(file));
  Trigger(window, "ActionFileSaveAs");
  EXPECT_EQ(window.GetProject().GetBlogTypeName(), "");
  EXPECT_TRUE(std::filesystem::exists(file));
}


// Answers the modal dialog that the next command opens: sets the wait after
// each page, then presses the button of this role.
void AnswerSettingsDialog(int sleepTime, QDialogButtonBox::StandardButton button) {
  QTimer::singleShot(0, [=] {
    QWidget* dialog = QApplication::activeModalWidget();
    ASSERT_NE(dialog, nullptr);
    dialog->findChild<QSpinBox*>(u"EditSleepTime"_s)->setValue(sleepTime);
    dialog->findChild<QDialogButtonBox*>(u"ButtonBox"_s)->button(button)->click();
  });
}

TEST_F(MainWindowStartupTest, GeneralSettingsAreSavedOnlyWithOk) {
  TFormMain& window = StartWindow();
  TAppConfig* config = TAppConfig::GetInstance();
  const std::string file = config->GetFileName();
  const int before = config->GetSleepTime();

  AnswerSettingsDialog(7, QDialogButtonBox::Cancel);
  Trigger(window, "ActionConfigGeneral");
  EXPECT_EQ(config->GetSleepTime(), before);
  EXPECT_FALSE(std::filesystem::exists(file));

  AnswerSettingsDialog(7, QDialogButtonBox::Ok);
  Trigger(window, "ActionConfigGeneral");
  EXPECT_EQ(config->GetSleepTime(), 7);
  config->SetSleepTime(before);
  config->Load(file);
  EXPECT_EQ(config->GetSleepTime(), 7) << "OK saved the settings file";
  config->SetSleepTime(before);
}

}
