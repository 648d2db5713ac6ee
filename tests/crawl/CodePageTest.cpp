#include "text/Tcodepage.h"

#include <gtest/gtest.h>

#include <set>

TEST(CodePageTest, TableHoldsSevenCodePagesAndThirtySixUniqueUpperCaseNames) {
  const auto& table = TCodePage::GetInstance()->GetTable();
  EXPECT_EQ(table.size(), 7u);
  std::set<std::string> names;
  size_t count = 0;
  for (const auto& [codePage, list] : table) {
    for (const std::string& name : list) {
      ++count;
      names.insert(name);
      for (char c : name)
        EXPECT_FALSE(c >= 'a' && c <= 'z') << name;
      EXPECT_EQ(TCodePage::GetInstance()->FindCodePage(name), codePage) << name;
    }
  }
  EXPECT_EQ(count, 36u);
  EXPECT_EQ(names.size(), 36u);
}

TEST(CodePageTest, FindsNamesWithoutRegardToCase) {
  const TCodePage* table = TCodePage::GetInstance();
  EXPECT_EQ(table->FindCodePage("sjis"), 932);
  EXPECT_EQ(table->FindCodePage("Shift_JIS"), 932);
  EXPECT_EQ(table->FindCodePage("SHIFT_JIS"), 932);
  EXPECT_EQ(table->FindCodePage("euc-jp"), 51932);
  EXPECT_EQ(table->FindCodePage("utf-8"), 65001);
  EXPECT_EQ(table->FindCodePage("utf-7"), 65000);
  EXPECT_EQ(table->FindCodePage("iso-2022-jp"), 50220);
  EXPECT_EQ(table->FindCodePage("_iso-2022-jp"), 50221);
  EXPECT_EQ(table->FindCodePage("jisautodetect"), 50932);
}

TEST(CodePageTest, UnknownOrUntrimmedNamesGiveMinusOne) {
  const TCodePage* table = TCodePage::GetInstance();
  EXPECT_EQ(table->FindCodePage(" EUC-JP"), -1);
  EXPECT_EQ(table->FindCodePage("EUC-JP "), -1);
  EXPECT_EQ(table->FindCodePage(""), -1);
  EXPECT_EQ(table->FindCodePage("latin1"), -1);
}
