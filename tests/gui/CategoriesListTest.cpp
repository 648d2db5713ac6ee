// The category list of the first page: add, change and delete through the edit
// dialog and the confirmation, as the user does it from the buttons and the pop-up.
#include "MainWindowFixture.h"
#include "ModalDialogs.h"

#include "ui/Tformcategory.h"

#include <QDialogButtonBox>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>

#include <optional>

namespace {

using namespace Qt::StringLiterals;

class CategoriesListTest : public MainWindowFixture {};

// What the user types into the edit dialog, in turn, each followed by OK unless
// PressOk is false.
struct Attempt {
  QString Name;
  QString Url;
  // The message OK shows; empty when OK closes the dialog.
  QString Refusal;
  bool PressOk = true;
};

void EditCategory(const std::vector<Attempt>& attempts, bool cancelAtEnd) {
  WhenShown<TFormCategory>([attempts, cancelAtEnd](TFormCategory& dialog) {
    auto* buttons = dialog.findChild<QDialogButtonBox*>(u"ButtonBox"_s);
    for (const Attempt& attempt : attempts) {
      dialog.findChild<QLineEdit*>(u"EditName"_s)->setText(attempt.Name);
      dialog.findChild<QLineEdit*>(u"EditUrl"_s)->setText(attempt.Url);
      if (attempt.PressOk)
        buttons->button(QDialogButtonBox::Ok)->click();
    }
    if (cancelAtEnd)
      buttons->button(QDialogButtonBox::Cancel)->click();
  });
}

TEST_F(CategoriesListTest, AddKeepsWhatOkAcceptedAndRefusesEmptyTexts) {
  TFormMain& window = StartWindow();
  Ui::TFormMain& form = window.GetUi();

  struct Case {
    const char* What;
    std::vector<Attempt> Attempts;
    bool Cancel;
    std::optional<std::pair<QString, QString>> Added;
  };
  const std::vector<Case> cases = {
      {"filled in", {{u"日記"_s, u"http://blog.example/diary/"_s, {}}}, false,
       std::pair{u"日記"_s, u"http://blog.example/diary/"_s}},
      {"both empty: the name is asked for first",
       {{u""_s, u""_s, u"カテゴリ名が入力されていません。"_s}}, true, std::nullopt},
      {"no URL", {{u"料理"_s, u""_s, u"URLが入力されていません。"_s}}, true, std::nullopt},
      {"no name, then both given",
       {{u""_s, u"http://blog.example/food/"_s, u"カテゴリ名が入力されていません。"_s},
        {u"料理"_s, u"http://blog.example/food/"_s, {}}},
       false, std::pair{u"料理"_s, u"http://blog.example/food/"_s}},
      {"blanks are texts", {{u"  "_s, u" "_s, {}}}, false, std::pair{u"  "_s, u" "_s}},
      {"the same name twice", {{u"日記"_s, u"http://blog.example/diary/2"_s, {}}}, false,
       std::pair{u"日記"_s, u"http://blog.example/diary/2"_s}},
      {"cancelled", {{u"旅行"_s, u"http://blog.example/travel/"_s, {}, false}}, true, std::nullopt},
  };

  std::vector<std::pair<QString, QString>> expected;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.What);
    for (const Attempt& attempt : c.Attempts)
      if (!attempt.Refusal.isEmpty())
        Prompts->ExpectMessage(attempt.Refusal);
    EditCategory(c.Attempts, c.Cancel);
    window.SetModified(false);
    form.ButtonInsertCategory->click();
    if (c.Added)
      expected.push_back(*c.Added);
    EXPECT_EQ(CategoryRows(form), expected);
    EXPECT_EQ(window.IsModified(), c.Added.has_value());
    EXPECT_TRUE(form.ListViewCategory->selectedItems().isEmpty()) << "a new row is not selected";
    EXPECT_TRUE(Prompts->AllAnswered());
  }
}

TEST_F(CategoriesListTest, ChangeAndDeleteWorkOnTheSelectedRowOnly) {
  TFormMain& window = StartWindow();
  Ui::TFormMain& form = window.GetUi();
  for (const auto& [name, url] : std::vector<std::pair<QString, QString>>{
           {u"日記"_s, u"http://b/diary/"_s}, {u"料理"_s, u"http://b/food/"_s}, {u"旅行"_s, u"http://b/travel/"_s}}) {
    EditCategory({{name, url, {}}}, false);
    form.ButtonInsertCategory->click();
  }
  window.SetModified(false);

  // Nothing selected: change and delete show nothing and change nothing.
  Trigger(window, "ActionUpdateCategory");
  Trigger(window, "ActionDeleteCategory");
  EXPECT_EQ(CategoryRows(form).size(), 3u);
  EXPECT_FALSE(window.IsModified());

  // The dialog starts with the row's texts; a refused OK and Cancel keep the row.
  form.ListViewCategory->topLevelItem(1)->setSelected(true);
  QString shownName;
  WhenShown<TFormCategory>([&shownName](TFormCategory& dialog) {
    shownName = dialog.GetName() + u"|"_s + dialog.GetUrl();
    dialog.findChild<QLineEdit*>(u"EditUrl"_s)->clear();
    dialog.findChild<QDialogButtonBox*>(u"ButtonBox"_s)->button(QDialogButtonBox::Ok)->click();
    dialog.reject();
  });
  Prompts->ExpectMessage(u"URLが入力されていません。"_s);
  form.ButtonUpdateCategory->click();
  EXPECT_EQ(shownName, u"料理|http://b/food/"_s);
  EXPECT_EQ(CategoryRows(form)[1], std::pair(u"料理"_s, u"http://b/food/"_s));
  EXPECT_FALSE(window.IsModified());

  // Changed through the pop-up menu's action: the row keeps its place.
  QMenu* popup = window.findChild<QMenu*>(u"PopupMenuCategory"_s);
  ASSERT_TRUE(popup->actions().contains(form.ActionUpdateCategory));
  EditCategory({{u"お料理"_s, u"http://b/cooking/"_s, {}}}, false);
  form.ActionUpdateCategory->trigger();
  EXPECT_EQ(CategoryRows(form)[1], std::pair(u"お料理"_s, u"http://b/cooking/"_s));
  EXPECT_TRUE(window.IsModified());
  window.SetModified(false);

  // The confirmation closed without OK keeps the row; OK removes it.
  Prompts->ExpectChoice(u"選択されているカテゴリを削除します。\nよろしいですか？"_s, std::nullopt);
  form.ButtonDeleteCategory->click();
  EXPECT_EQ(CategoryRows(form).size(), 3u);
  EXPECT_FALSE(window.IsModified());
  Prompts->ExpectChoice(u"選択されているカテゴリを削除します。"_s, 0);
  ASSERT_TRUE(popup->actions().contains(form.ActionDeleteCategory));
  form.ActionDeleteCategory->trigger();
  EXPECT_EQ(CategoryRows(form), (std::vector<std::pair<QString, QString>>{{u"日記"_s, u"http://b/diary/"_s},
                                                                           {u"旅行"_s, u"http://b/travel/"_s}}));
  EXPECT_TRUE(window.IsModified());
}

}
