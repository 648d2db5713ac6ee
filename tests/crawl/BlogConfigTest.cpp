#include "crawl/Tblogconfig.h"

#include "support/TempFolder.h"

#include "support/SortedNames.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sys/stat.h>
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

TEST(BlogConfigTest, AScriptOutsideTheFolderOrNotARegularFileFailsOnlyThatBlogType) {
  namespace fs = std::filesystem;
  TempFolder outside;
  WriteFile(outside.File("evil.js"), "function GetRecentEntry(page) { return ''; }\n");
  TempFolder folder;
  WriteFile(folder.File("good.js"), "// fine\n");
  fs::create_symlink(folder.File("good.js"), folder.File("inner-link.js"));
  fs::create_symlink(outside.File("evil.js"), folder.File("outer-link.js"));
  fs::create_directory_symlink(outside.Path(), folder.File("linked-folder"));
  fs::create_directories(folder.File("sub"));
  WriteFile(folder.File("sub/deep.js"), "// fine\n");
  ASSERT_EQ(mkfifo(folder.File("pipe.js").c_str(), 0600), 0);
  const struct {
    std::string ini;
    std::string file;
    std::string problem;
  } cases[] = {
      {"a.ini", "good.js", ""},
      {"b.ini", "inner-link.js", ""},
      {"c.ini", "sub/deep.js", ""},
      {"d.ini", "missing.js", ""},
      {"e.ini", "../" + fs::path(outside.Path()).parent_path().filename().string() + "/evil.js",
       "がブログの種類のフォルダの外にあります"},
      {"f.ini", "outer-link.js", "がブログの種類のフォルダの外にあります"},
      {"g.ini", "linked-folder/evil.js", "がブログの種類のフォルダの外にあります"},
      {"h.ini", "../missing.js", "がブログの種類のフォルダの外にあります"},
      {"i.ini", "pipe.js", "が通常のファイルではありません"},
      {"j.ini", "sub", "が通常のファイルではありません"},
  };
  std::vector<std::string> loaded;
  std::vector<std::string> errors;
  for (const auto& c : cases) {
    WriteFile(folder.File(c.ini), "[CONFIG]\nname=" + c.ini + "\n[SCRIPT]\nfile=" + c.file + "\n");
    if (c.problem.empty())
      loaded.push_back(c.ini);
    else
      errors.push_back("ブログの種類「" + c.ini + "」(" + c.ini + ") を読み込めません: スクリプトファイル " +
                       c.file + " " + c.problem + "。");
  }
  TBlogConfigManager manager;
  manager.LoadFrom(folder.Path());
  std::vector<std::string> names;
  for (const TBlogConfig& config : manager.GetBlogConfigs())
    names.push_back(config.GetName());
  EXPECT_EQ(names, loaded);
  EXPECT_EQ(manager.GetLoadErrors(), errors);

  manager.LoadFrom(outside.Path());
  EXPECT_TRUE(manager.GetLoadErrors().empty()) << "a new scan forgets the old failures";
}
