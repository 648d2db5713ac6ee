#include "toc/Tktemplatesettings.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

TEST(TemplateSettingRowsTest, NamesMatchByCaseFoldingOnly) {
  const struct {
    const char* a;
    const char* b;
    bool same;
  } cases[] = {
      {"Title", "TITLE", true},
      {"ＴＩＴＬＥ", "ｔｉｔｌｅ", true},  // full-width letters
      {"ΣΟΦΙΑ", "σοφια", true},
      {"ς", "Σ", true},                    // final sigma folds to sigma
      {"タイトル", "タイトル", true},
      {"Title", "Ｔｉｔｌｅ", false},      // width is not case
      {"タイトル", "タイトル ", false},
      {"タイトル", "ﾀｲﾄﾙ", false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(SameSettingName(c.a, c.b), c.same) << c.a << " / " << c.b;
}

TEST(TemplateSettingRowsTest, TheTemplateGivesTheRowsAndSavedValuesFillThem) {
  TTemplateSettingRows rows({"Title", "説明", "ＡＢＣ", "並び順"});
  EXPECT_EQ(rows.Lines(), (std::vector<std::string>{"Title=", "説明=", "ＡＢＣ=", "並び順="}));

  rows.ApplySaved({{"TITLE", "保存した題"},
                   {"ａｂｃ", "全角"},
                   {"並び順", ""},
                   {"old", "前のテンプレートの値"},
                   {"empty extra", ""},
                   {"another", "x=y"}});
  EXPECT_EQ(rows.Lines(), (std::vector<std::string>{"Title=保存した題", "説明=", "ＡＢＣ=全角", "並び順=",
                                                   "another=x=y", "old=前のテンプレートの値"}))
      << "names keep the template's spelling; extra names follow in the saved order; empty values add nothing";

  rows.Set("title", "上書き");
  rows.Set("並び順", "古い順");
  rows.Set("新しい", "");
  rows.SetValue(1, "説明文");
  EXPECT_EQ(rows.Lines(), (std::vector<std::string>{"Title=上書き", "説明=説明文", "ＡＢＣ=全角", "並び順=古い順",
                                                   "another=x=y", "old=前のテンプレートの値", "新しい="}));
  EXPECT_THROW(rows.SetValue(rows.Rows().size(), "x"), std::out_of_range);
}

TEST(TemplateSettingRowsTest, TheFirstRowOfANameIsWhatIsSaved) {
  TTemplateSettingRows rows({"タイトル", "説明", "タイトル"});
  rows.SetValue(0, "一つ目");
  rows.SetValue(2, "二つ目");
  rows.ApplySaved({{"説明", "説明文"}});
  EXPECT_EQ(rows.ToSettings(), (TProject::HtmlSettings{{"タイトル", "一つ目"}, {"説明", "説明文"}}));

  TTemplateSettingRows again({"タイトル", "説明", "タイトル"});
  again.ApplySaved(rows.ToSettings());
  EXPECT_EQ(again.Lines(), (std::vector<std::string>{"タイトル=一つ目", "説明=説明文", "タイトル="}))
      << "a saved value fills the first row of its name";
}

}
