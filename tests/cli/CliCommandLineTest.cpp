#include "CliRun.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

namespace fs = std::filesystem;

namespace {

struct CommandLineCase {
  const char* Title;
  std::vector<std::string> Arguments;
  // Prepares the run's folder; gives the cache folder the run is to use.
  std::function<std::string(const TempFolder&)> Prepare;
  int Status;
  std::vector<std::string> ErrContains;
  // A file the run must have made in its folder, or "".
  std::string Made;
};

std::string FreshCache(const TempFolder& folder) {
  return folder.File("cache");
}

// Arguments naming files in the run's folder are written with "@/", replaced here.
std::vector<std::string> InFolder(const std::vector<std::string>& texts, const TempFolder& folder) {
  std::vector<std::string> out;
  for (const std::string& text : texts)
    out.push_back(text.rfind("@/", 0) == 0 ? folder.File(text.substr(2)) : text);
  return out;
}

CliResult RunIn(const TempFolder& folder, const std::vector<std::string>& arguments, const std::string& cache) {
  WriteFile(folder.File("Tocwerk.ini"), "[HTTP_PROXY]\nSleepTime=0\n");
  const auto process = StartCli(arguments, folder.File("Tocwerk.ini"), [&](QProcess& cli) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_CACHE_HOME"), QString::fromStdString(cache));
    cli.setProcessEnvironment(environment);
    cli.setWorkingDirectory(QString::fromStdString(folder.Path()));
  });
  process->waitForFinished(60000);
  return {process->exitCode(), process->readAllStandardOutput().toStdString(),
          process->readAllStandardError().toStdString()};
}

}

TEST(CliCommandLineTest, OperandsFoldersAndTheirFaults) {
  const std::vector<CommandLineCase> cases{
      {"a missing data folder", {"--data-dir", "@/nothing", "list", "blog-types"}, FreshCache, 2,
       {"データフォルダー ", "nothing がありません"}, ""},
      {"a data folder that is a file", {"--data-dir", "@/plain", "list", "templates"},
       [](const TempFolder& folder) {
         WriteFile(folder.File("plain"), "");
         return FreshCache(folder);
       },
       2, {"plain はフォルダーではありません"}, ""},
      {"an operand after -- that looks like an option", {"init", "--", "-x.proj"}, FreshCache, 0, {}, "-x.proj"},
      {"a long-option-like operand after --", {"init", "--", "--y.proj"}, FreshCache, 0, {}, "--y.proj"},
      {"-h after -- is an operand, no call for help", {"entries", "--", "-h"}, FreshCache, 1,
       {"プロジェクトファイルがありません: -h"}, ""},
      {"a work folder that is a symbolic link", {"init", "p.proj"},
       [](const TempFolder& folder) {
         fs::create_directories(folder.File("cache/Tocwerk"));
         fs::create_directories(folder.File("elsewhere"));
         fs::create_directory_symlink(folder.File("elsewhere"), folder.File("cache/Tocwerk/work"));
         return FreshCache(folder);
       },
       1, {"作業フォルダー ", "cache/Tocwerk/work がシンボリックリンクです"}, ""},
      {"a work folder that is a file", {"init", "p.proj"},
       [](const TempFolder& folder) {
         fs::create_directories(folder.File("cache/Tocwerk"));
         WriteFile(folder.File("cache/Tocwerk/work"), "");
         return FreshCache(folder);
       },
       1, {"作業フォルダー ", "cache/Tocwerk/work がファイルです"}, ""},
      {"a cache folder that cannot be made", {"init", "p.proj"},
       [](const TempFolder& folder) {
         WriteFile(folder.File("blocked"), "");
         return folder.File("blocked/cache");
       },
       1, {"blocked/cache/Tocwerk を作成できません", "Not a directory"}, ""},
  };
  for (const CommandLineCase& c : cases) {
    SCOPED_TRACE(c.Title);
    const TempFolder folder;
    const std::string cache = c.Prepare(folder);
    const CliResult result = RunIn(folder, InFolder(c.Arguments, folder), cache);
    EXPECT_EQ(result.Status, c.Status) << result.Err;
    for (const std::string& text : c.ErrContains)
      EXPECT_NE(result.Err.find(text), std::string::npos) << result.Err;
    if (!c.Made.empty()) {
      EXPECT_TRUE(fs::is_regular_file(folder.File(c.Made))) << result.Err;
    }
  }
}
