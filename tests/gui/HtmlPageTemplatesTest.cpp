// The template list and the settings editor of the table-of-contents page: which
// rows the template gives, what a change of template keeps, and how a project's
// saved settings fill the rows.
#include "MainWindowFixture.h"

#include "store/Tproject.h"
#include "store/Tprojectdb.h"

#include <QComboBox>
#include <QLineEdit>

#include <map>

namespace {

using namespace Qt::StringLiterals;

using Rows = std::vector<std::pair<QString, QString>>;

class HtmlPageTemplatesTest : public MainWindowFixture {
protected:
  // Templates A (Title, 説明) and B (見出し); no program is needed to edit them.
  std::string TwoTemplates() {
    const std::string folder = EmptyFolder();
    WriteFile(folder + "a.ini", "[TEMPLATE]\nname=テンプレートA\nexe=none\n[CONFIG]\n1=Title\n2=説明\n");
    WriteFile(folder + "b.ini", "[TEMPLATE]\nname=テンプレートB\nexe=none\n[CONFIG]\n1=見出し\n");
    return folder;
  }

  // A project file saved with this template name and these settings.
  std::string SavedProject(const std::string& templateName, const TProject::HtmlSettings& settings) {
    const std::string file = Files.File("saved" + std::to_string(++Saved) + ".proj");
    TProjectDb db;
    db.New(GetDbFolder() + "blog.mdb");
    TProject project;
    project.SetHtmlTemplateName(templateName);
    project.SetHtmlSettings(settings);
    project.Save(file, db);
    return file;
  }

  void Open(TFormMain& window, const std::string& file) {
    Prompts->ExpectOpenFile(QString::fromStdString(file));
    Trigger(window, "ActionFileOpen");
    EXPECT_TRUE(Prompts->AllAnswered());
  }

  static Rows EditorRows(Ui::TFormMain& form) {
    Rows rows;
    for (int row = 0; row < form.EditHtmlConf->rowCount(); ++row)
      rows.emplace_back(form.EditHtmlConf->item(row, 0)->text(), form.EditHtmlConf->item(row, 1)->text());
    return rows;
  }

  static void ChooseTemplate(Ui::TFormMain& form, int index) {
    form.ComboBoxHtmlTemplate->setCurrentIndex(index);
    emit form.ComboBoxHtmlTemplate->activated(index);
  }

private:
  int Saved = 0;
};

TEST_F(HtmlPageTemplatesTest, AChangeOfTemplateGivesItsEmptyRowsAndTheSameTemplateKeepsTheValues) {
  TFormMain& window = StartWindow({}, TwoTemplates());
  Ui::TFormMain& form = window.GetUi();
  ASSERT_EQ(form.ComboBoxHtmlTemplate->count(), 2);
  EXPECT_EQ(form.ComboBoxHtmlTemplate->currentIndex(), 0);
  EXPECT_EQ(window.GetSelectedTemplate().GetName(), "テンプレートA");
  EXPECT_EQ(EditorRows(form), (Rows{{u"Title"_s, u""_s}, {u"説明"_s, u""_s}}));
  EXPECT_EQ(form.EditHtmlConf->horizontalHeaderItem(0)->text(), u"項目名"_s);
  EXPECT_EQ(form.EditHtmlConf->horizontalHeaderItem(1)->text(), u"値"_s);
  EXPECT_FALSE(form.EditHtmlConf->item(0, 0)->flags() & Qt::ItemIsEditable) << "names are fixed";
  EXPECT_TRUE(form.EditHtmlConf->item(0, 1)->flags() & Qt::ItemIsEditable);
  EXPECT_FALSE(window.IsModified());

  form.EditHtmlConf->item(0, 1)->setText(u"私のブログの目次"_s);
  EXPECT_TRUE(window.IsModified()) << "an edited value is a change to save";

  window.SetModified(false);
  ChooseTemplate(form, 0);
  EXPECT_EQ(EditorRows(form), (Rows{{u"Title"_s, u"私のブログの目次"_s}, {u"説明"_s, u""_s}}));
  EXPECT_FALSE(window.IsModified());

  ChooseTemplate(form, 1);
  EXPECT_EQ(EditorRows(form), (Rows{{u"見出し"_s, u""_s}}));
  EXPECT_TRUE(window.IsModified());
  ChooseTemplate(form, 0);
  EXPECT_EQ(EditorRows(form), (Rows{{u"Title"_s, u""_s}, {u"説明"_s, u""_s}})) << "typed values are dropped";
}

TEST_F(HtmlPageTemplatesTest, SavedSettingsFillTheRowsOfTheTemplateTheProjectNames) {
  TFormMain& window = StartWindow({}, TwoTemplates());
  Ui::TFormMain& form = window.GetUi();

  struct Case {
    const char* What;
    int SelectedBefore;
    std::string TemplateName;
    TProject::HtmlSettings Saved;
    QString Selected;
    Rows Expected;
  };
  const std::vector<Case> cases = {
      {"values fill their rows", 0, "テンプレートB", {{"見出し", "月ごと"}}, u"テンプレートB"_s,
       {{u"見出し"_s, u"月ごと"_s}}},
      {"an empty saved value leaves its row empty", 1, "テンプレートA", {{"Title", ""}, {"説明", "毎日の記録"}},
       u"テンプレートA"_s, {{u"Title"_s, u""_s}, {u"説明"_s, u"毎日の記録"_s}}},
      {"names match without regard to case; unknown names become rows", 1, "テンプレートA",
       {{"TITLE", "目次"}, {"色", "青"}}, u"テンプレートA"_s,
       {{u"Title"_s, u"目次"_s}, {u"説明"_s, u""_s}, {u"色"_s, u"青"_s}}},
      {"a template name matches only as written", 1, "テンプレートa", {}, u"テンプレートB"_s,
       {{u"見出し"_s, u""_s}}},
      {"an unknown template keeps the one selected", 1, "消えたテンプレート", {{"見出し", "年ごと"}},
       u"テンプレートB"_s, {{u"見出し"_s, u"年ごと"_s}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.What);
    ChooseTemplate(form, c.SelectedBefore);
    window.SetModified(false);
    Open(window, SavedProject(c.TemplateName, c.Saved));
    EXPECT_EQ(form.ComboBoxHtmlTemplate->currentText(), c.Selected);
    EXPECT_EQ(EditorRows(form), c.Expected);
    EXPECT_FALSE(window.IsModified()) << "filling the editor is no edit";
  }

  // Saved again, the rows come back as the project's settings, extra rows too.
  const QString again = QString::fromStdString(Files.File("again.proj"));
  Prompts->ExpectSaveFile(again);
  Trigger(window, "ActionFileSaveAs");
  const TProject& project = window.GetProject();
  EXPECT_EQ(project.GetHtmlTemplateName(), "テンプレートB");
  EXPECT_EQ(project.GetHtmlSettings(), (TProject::HtmlSettings{{"見出し", "年ごと"}}));
  Open(window, SavedProject("テンプレートA", {{"Title", "目次"}, {"色", "青"}}));
  form.EditHtmlConf->item(1, 1)->setText(u"説明文"_s);
  Prompts->ExpectSaveFile(again);
  Trigger(window, "ActionFileSaveAs");
  EXPECT_EQ(window.GetProject().GetHtmlSettings(),
            (TProject::HtmlSettings{{"Title", "目次"}, {"説明", "説明文"}, {"色", "青"}}));
}

TEST_F(HtmlPageTemplatesTest, DeclaredValuesAreOfferedInADropDownAndEmptyOnesShowTheDefault) {
  const std::string folder = EmptyFolder();
  WriteFile(folder + "c.ini",
            "[TEMPLATE]\nname=選べる\nexe=none\n[CONFIG]\n1=並び順\n2=表示\n3=タイトル\n"
            "[VALUES]\n並び順=新しい順|古い順\n表示=する|しない\n[DEFAULTS]\n並び順=新しい順\n");
  TFormMain& window = StartWindow({}, folder);
  Ui::TFormMain& form = window.GetUi();
  Open(window, SavedProject("選べる", {{"並び順", ""}, {"表示", "しない"}}));
  EXPECT_EQ(EditorRows(form), (Rows{{u"並び順"_s, u"新しい順"_s}, {u"表示"_s, u"しない"_s}, {u"タイトル"_s, u""_s}}))
      << "an empty value shows the default; without a default it stays empty";
  ASSERT_FALSE(window.IsModified());

  QTableWidget& editor = *form.EditHtmlConf;
  const struct {
    int Row;
    QStringList Values;
  } cases[] = {{0, {u"新しい順"_s, u"古い順"_s}}, {1, {u"する"_s, u"しない"_s}}, {2, {}}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Row);
    editor.setCurrentCell(c.Row, 1);
    editor.editItem(editor.item(c.Row, 1));
    // The editor closed last is deleted later; it must not be found instead.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    auto* combo = editor.viewport()->findChild<QComboBox*>();
    if (c.Values.isEmpty()) {
      EXPECT_EQ(combo, nullptr);
      EXPECT_NE(editor.viewport()->findChild<QLineEdit*>(), nullptr) << "other settings take text";
      QTest::keyClick(editor.viewport()->findChild<QLineEdit*>(), Qt::Key_Escape);
      continue;
    }
    ASSERT_NE(combo, nullptr);
    QStringList offered;
    for (int i = 0; i < combo->count(); ++i)
      offered << combo->itemText(i);
    EXPECT_EQ(offered, c.Values);
    EXPECT_FALSE(combo->isEditable());
    EXPECT_EQ(combo->currentText(), editor.item(c.Row, 1)->text());
    combo->setCurrentIndex(1 - combo->currentIndex());
    QTest::keyClick(combo, Qt::Key_Return);
  }
  EXPECT_EQ(EditorRows(form), (Rows{{u"並び順"_s, u"古い順"_s}, {u"表示"_s, u"する"_s}, {u"タイトル"_s, u""_s}}));
  EXPECT_TRUE(window.IsModified());
  TProject project;
  window.CollectTemplateSettings(project);
  EXPECT_EQ(project.GetHtmlSettings(),
            (TProject::HtmlSettings{{"並び順", "古い順"}, {"表示", "する"}, {"タイトル", ""}}));
}

TEST_F(HtmlPageTemplatesTest, WithoutTemplatesTheWindowStartsAndKeepsSavedSettings) {
  TFormMain& window = StartWindow({}, EmptyFolder());
  Ui::TFormMain& form = window.GetUi();
  ASSERT_TRUE(window.IsStarted());
  EXPECT_FALSE(window.HasStartupFailed());
  EXPECT_EQ(form.ComboBoxHtmlTemplate->count(), 0);
  EXPECT_EQ(form.EditHtmlConf->rowCount(), 0);
  EXPECT_THROW(window.GetSelectedTemplate(), std::out_of_range);

  Prompts->ExpectMessage(u"テンプレートが選択されていません。"_s);
  Trigger(window, "ActionHtmlMake");
  EXPECT_TRUE(Prompts->AllAnswered()) << "no save dialog follows";

  Open(window, SavedProject("テンプレートA", {{"Title", "目次"}}));
  EXPECT_EQ(EditorRows(form), (Rows{{u"Title"_s, u"目次"_s}}));
}

}
