#include "support/TempFolder.h"
#include "toc/Ttemplatemanager.h"

#include "support/SortedNames.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

namespace fs = std::filesystem;

namespace {

TEST(TemplateManagerTest, OnlyNamedFilesDirectlyInTheFolderAreTemplates) {
  TempFolder folder;
  WriteFile(folder.File("a.ini"), "[TEMPLATE]\nname=甲\nexe=bin/prog\n");
  WriteFile(folder.File("same.txt"), "[template]\nNAME=甲\n");
  WriteFile(folder.File(".hidden"), "[TEMPLATE]\nname=隠し\n");
  WriteFile(folder.File("notes.txt"), "ただのテキスト\nname=乙\n");
  WriteFile(folder.File("empty-name.ini"), "[TEMPLATE]\nname=\nexe=x\n");
  fs::create_directory(folder.File("sub"));
  WriteFile(folder.File("sub/inner.ini"), "[TEMPLATE]\nname=中\n");

  TTemplateManager manager;
  manager.LoadFrom(folder.Path());
  EXPECT_EQ(SortedNames(manager.GetTemplates()), (std::vector<std::string>{"甲", "甲", "隠し"}));
}

TEST(TemplateManagerTest, PathsAreTheFolderFollowedByTheValuesAsWritten) {
  TempFolder folder;
  WriteFile(folder.File("t.ini"),
            "; 説明\n[TEMPLATE]\n name = 目次 \nexe=sub dir/prog\nhelp=help.html\n"
            "[CONFIG]\n1=タイトル\n2=\nb=説明\na=並び順\n");
  WriteFile(folder.File("u.ini"), "[TEMPLATE]\nname=空\nexe=\n");
  TTemplateManager manager;
  manager.LoadFrom(folder.Path());
  auto templates = manager.GetTemplates();
  ASSERT_EQ(templates.size(), 2u);
  std::sort(templates.begin(), templates.end(),
            [](const auto& a, const auto& b) { return a.GetName() < b.GetName(); });

  const THtmlTemplate& named = templates[0];
  EXPECT_EQ(named.GetName(), "目次");
  EXPECT_EQ(named.GetExePath(), folder.Path() + "sub dir/prog");
  EXPECT_EQ(named.GetHelpPath(), folder.Path() + "help.html");
  EXPECT_EQ(named.GetConfig(), (std::vector<std::string>{"タイトル", "説明", "並び順"}))
      << "file order; empty values give no setting";
  EXPECT_EQ(templates[1].GetExePath(), folder.Path());
}

TEST(TemplateManagerTest, AMissingFolderOrFileGivesNothing) {
  TTemplateManager manager;
  manager.LoadFrom("/nonexistent/tocwerk/template/");
  EXPECT_TRUE(manager.GetTemplates().empty());
  const THtmlTemplate missing("/nonexistent/tocwerk/t.ini");
  EXPECT_EQ(missing.GetName(), "");
  EXPECT_TRUE(missing.GetConfig().empty());
}

TEST(TemplateManagerTest, AProgramBesideTheTemplateComesBeforeTheSharedOne) {
  TempFolder folder;
  const std::string text = "[TEMPLATE]\nname=目次\nexe=tocwerk-toc\n";
  for (const std::string sub : {"own/", "shared/", "nowhere/"})
    fs::create_directory(folder.File(sub));
  WriteFile(folder.File("own/t.ini"), text);
  WriteFile(folder.File("shared/t.ini"), text);
  WriteFile(folder.File("own/tocwerk-toc"), "#!/bin/sh\n");
  WriteFile(folder.File("nowhere/t.ini"), "[TEMPLATE]\nname=目次\nexe=no-such-program\n");

  EXPECT_EQ(THtmlTemplate(folder.File("own/t.ini")).GetExePath(), folder.File("own/tocwerk-toc"));
  const std::string shared = THtmlTemplate(folder.File("shared/t.ini")).GetExePath();
  EXPECT_TRUE(fs::is_regular_file(shared)) << shared;
  EXPECT_EQ(fs::path(shared).filename(), "tocwerk-toc");
  EXPECT_EQ(THtmlTemplate(folder.File("nowhere/t.ini")).GetExePath(), folder.File("nowhere/no-such-program"))
      << "a missing program keeps the path its template names";
}

TEST(TemplateManagerTest, TheBundledTemplatesShareOneProgram) {
  TTemplateManager manager;
  manager.Load();
  const auto templates = manager.GetTemplates();
  EXPECT_EQ(SortedNames(templates), (std::vector<std::string>{"カテゴリ別目次", "月別目次"}));
  for (const THtmlTemplate& t : templates) {
    EXPECT_TRUE(fs::is_regular_file(t.GetExePath())) << t.GetExePath();
    EXPECT_TRUE(fs::is_regular_file(t.GetHelpPath())) << t.GetHelpPath();
    ASSERT_GE(t.GetConfig().size(), 4u);
    EXPECT_EQ(std::vector<std::string>(t.GetConfig().begin(), t.GetConfig().begin() + 4),
              (std::vector<std::string>{"タイトル", "説明", "並び順", "コメント表示"}));
  }
}

}

TEST(TemplateManagerTest, DeclaredValuesAndDefaultsOfSettings) {
  using Values = std::vector<std::string>;
  const struct {
    const char* Name;
    std::string Declaration;
    bool Declared;
    Values Expected;
    std::string Default;
  } cases[] = {
      {"declared", "[VALUES]\n並び順=新しい順|古い順\n[DEFAULTS]\n並び順=古い順\n", true, {"新しい順", "古い順"}, "古い順"},
      {"no default", "[VALUES]\n並び順= 新しい順 | 古い順 \n", true, {"新しい順", "古い順"}, ""},
      {"nothing declared", "", false, {}, ""},
      {"default alone", "[DEFAULTS]\n並び順=古い順\n", false, {}, ""},
      {"no values", "[VALUES]\n並び順=| |\n", false, {}, ""},
      {"empty and repeated values", "[VALUES]\n並び順=古い順||古い順|新しい順\n", true, {"古い順", "新しい順"}, ""},
      {"default not among them", "[VALUES]\n並び順=新しい順|古い順\n[DEFAULTS]\n並び順=古い\n", true,
       {"新しい順", "古い順"}, ""},
      {"not a setting", "[VALUES]\nほか=甲|乙\n", false, {}, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    TempFolder folder;
    WriteFile(folder.File("t.ini"), "[TEMPLATE]\nname=目次\n[CONFIG]\n1=並び順\n2=ほか2\n" + c.Declaration);
    const THtmlTemplate htmlTemplate(folder.File("t.ini"));
    EXPECT_EQ(htmlTemplate.GetConfig(), (Values{"並び順", "ほか2"}));
    EXPECT_EQ(htmlTemplate.GetChoices("ほか"), nullptr);
    const TSettingChoices* choices = htmlTemplate.GetChoices("並び順");
    ASSERT_EQ(choices != nullptr, c.Declared);
    if (!choices)
      continue;
    EXPECT_EQ(choices->Values, c.Expected);
    EXPECT_EQ(choices->Default, c.Default);
  }
}
