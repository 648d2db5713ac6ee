// The test prompts themselves: what a flow test relies on to never block.
#include "ScriptedPrompts.h"

#include <gtest/gtest.h>

TEST(ScriptedPromptsTest, AnswersInOrderAndRecordsWhatItDidNotExpect) {
  ScriptedPrompts prompts;
  prompts.ExpectChoice(QStringLiteral("保存しますか"), 1);
  prompts.ExpectSaveFile(QStringLiteral("/tmp/a.proj"));
  prompts.ExpectOpenFile(std::nullopt);

  EXPECT_EQ(prompts.Choose(nullptr, TPrompts::Icon::Question, QStringLiteral("変更を保存しますか？"), {}, 2), 1);
  EXPECT_EQ(prompts.SaveFileName(nullptr, QString(), QString(), QString(), QString()), QStringLiteral("/tmp/a.proj"));
  EXPECT_EQ(prompts.OpenFileName(nullptr, QString(), QString(), QString()), std::nullopt);
  EXPECT_TRUE(prompts.AllAnswered());
  EXPECT_TRUE(prompts.GetUnexpected().empty());

  prompts.ExpectMessage(QStringLiteral("カテゴリ名"));
  EXPECT_EQ(prompts.Choose(nullptr, TPrompts::Icon::Question, QStringLiteral("削除しますか"), {}, 1), 1)
      << "an unexpected question is answered as Esc would";
  ASSERT_EQ(prompts.GetUnexpected().size(), 1u);
  EXPECT_FALSE(prompts.AllAnswered());
}
