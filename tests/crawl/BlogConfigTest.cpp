#include "crawl/Tblogconfig.h"

#include "support/TempFolder.h"

#include "support/SortedNames.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <unistd.h>

TEST(BlogConfigTest, ReadsFieldsAndBuildsPathsFromItsFolder) {
  TempFolder folder;
  const std::string path = folder.File("diary.ini");
  WriteFile(path,
            "[CONFIG]\nname=日記ブログ\nhelp=diary.html\nsimpletext=一行ヘルプ\nencode=Shift_JIS\n"
            "[SCRIPT]\nfile=diary.js\nlanguage=JavaScript\n");
  const TBlogConfig config(path);
  const std::string directory = folder.Path().substr(0, folder.Path().size() - 1);
  EXPECT_EQ(config.GetName(), "日記ブログ");
  EXPECT_EQ(config.GetSimpleText(), "一行ヘルプ");
  EXPECT_EQ(config.GetEncode(), "Shift_JIS");
  EXPECT_EQ(config.GetLanguage(), "JavaScript");
  EXPECT_EQ(config.GetHelpPath(), directory + "/diary.html");
  EXPECT_EQ(config.GetScriptPath(), directory + "/diary.js");
}

TEST(BlogConfigTest, DefaultsOnlyForAbsentKeys) {
  TempFolder folder;
  WriteFile(folder.File("a.ini"), "[CONFIG]\nname=A\nencode=\n");
  const TBlogConfig empty(folder.File("a.ini"));
  EXPECT_EQ(empty.GetEncode(), "");
  EXPECT_EQ(empty.GetLanguage(), "JScript");
  EXPECT_EQ(empty.GetScriptPath(), folder.Path());
  EXPECT_EQ(empty.GetHelpPath(), folder.Path());
  WriteFile(folder.File("b.ini"), "[CONFIG]\nname=B\n");
  EXPECT_EQ(TBlogConfig(folder.File("b.ini")).GetEncode(), "EUC-JP");
}

TEST(BlogConfigTest, ScanListsNamedIniFilesOfTheFolderOnly) {
  TempFolder folder;
  WriteFile(folder.File("one.ini"), "[CONFIG]\nname=Same\n[SCRIPT]\nfile=one.js\n");
  WriteFile(folder.File("two.INI"), "[CONFIG]\nname=Same\n[SCRIPT]\nfile=two.js\n");
  WriteFile(folder.File("third.ini"), "[CONFIG]\nname=Third\n");
  WriteFile(folder.File("noname.ini"), "[CONFIG]\nhelp=x.html\n");
  WriteFile(folder.File("emptyname.ini"), "[CONFIG]\nname=\n");
  WriteFile(folder.File("readme.txt"), "[CONFIG]\nname=Text\n");
  WriteFile(folder.File(".hidden.ini"), "[CONFIG]\nname=Hidden\n");
  std::filesystem::create_directories(folder.File("sub"));
  WriteFile(folder.File("sub/deep.ini"), "[CONFIG]\nname=Deep\n");
  std::filesystem::create_directories(folder.File("folder.ini"));
  TBlogConfigManager manager;
  manager.LoadFrom(folder.Path());
  const std::vector<TBlogConfig> configs = manager.GetBlogConfigs();
  EXPECT_EQ(SortedNames(configs), (std::vector<std::string>{"Same", "Same", "Third"}));
  std::vector<std::string> scripts;
  for (const TBlogConfig& config : configs)
    scripts.push_back(config.GetScriptPath().substr(folder.Path().size()));
  std::sort(scripts.begin(), scripts.end());
  EXPECT_EQ(scripts, (std::vector<std::string>{"", "one.js", "two.js"}));
}

TEST(BlogConfigTest, ScanAgainReplacesTheListAndMissingFolderGivesNone) {
  TempFolder folder;
  WriteFile(folder.File("one.ini"), "[CONFIG]\nname=One\n");
  TBlogConfigManager manager;
  manager.LoadFrom(folder.Path());
  manager.LoadFrom(folder.Path());
  EXPECT_EQ(manager.GetBlogConfigs().size(), 1u);
  manager.LoadFrom(folder.File("missing"));
  EXPECT_TRUE(manager.GetBlogConfigs().empty());
}

TEST(BlogConfigTest, UnreadableFileFailsTheScan) {
  if (geteuid() == 0)
    GTEST_SKIP() << "root reads every file";
  TempFolder folder;
  WriteFile(folder.File("locked.ini"), "[CONFIG]\nname=Locked\n");
  std::filesystem::permissions(folder.File("locked.ini"), std::filesystem::perms::none);
  TBlogConfigManager manager;
  EXPECT_THROW(manager.LoadFrom(folder.Path()), std::runtime_error);
}
