// tocwerk-toc on projects far larger than a blog: its memory and its output grow
// with the listings it writes, and its limits end a run cleanly.
#include "TocTestProject.h"

#include "support/ScopedEnv.h"
#include "support/TempFolder.h"

#include <sqlite3.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

extern char** environ;

namespace fs = std::filesystem;

namespace {

// AddressSanitizer keeps freed memory in quarantine and pads every block.
#if defined(__SANITIZE_ADDRESS__)
constexpr long PeakRssBoundKb = 800 * 1024;
#else
constexpr long PeakRssBoundKb = 300 * 1024;
#endif

struct Finished {
  int status = -1;
  long peakRssKb = 0;
};

std::string TocProgram() {
  return GetProgramLibraryFolder() + "tocwerk-toc";
}

// Runs tocwerk-toc on the database; a run past the time-out is killed and fails.
Finished RunToc(const std::string& db, const std::string& output, std::chrono::seconds timeout) {
  const std::string program = TocProgram();
  char* argv[] = {const_cast<char*>(program.c_str()), const_cast<char*>(db.c_str()),
                  const_cast<char*>(output.c_str()), nullptr};
  pid_t pid = 0;
  if (posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv, environ) != 0)
    return {};
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  int status = 0;
  rusage usage{};
  while (wait4(pid, &status, WNOHANG, &usage) == 0) {
    if (std::chrono::steady_clock::now() > deadline) {
      kill(pid, SIGKILL);
      wait4(pid, &status, 0, &usage);
      return {-1, usage.ru_maxrss};
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, usage.ru_maxrss};
}

// A generation database written directly: `categories` categories, each listing
// one of `entries` entries in turn.
std::string SharedEntriesDb(const std::string& path, int entries, int categories) {
  fs::copy_file(BlankGenerationDb(), path);
  const auto numbers = [](int count) {
    return "with recursive n(i) as (select 1 union all select i + 1 from n where i < " +
           std::to_string(count) + ") ";
  };
  const std::string sql =
      "begin;" + numbers(entries) +
      "insert into entries select i, 'https://blog.example/' || i, '記事' || i, 45000 + i, '' from n;" +
      numbers(categories) +
      "insert into categories select i, '分類' || i, 'https://blog.example/c/' || i from n;"
      "insert into entries_categories select 1 + id % " + std::to_string(entries) +
      ", id from categories; commit;";
  sqlite3* db = nullptr;
  sqlite3_open(path.c_str(), &db);
  EXPECT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
  sqlite3_close(db);
  return path;
}

TEST(TocBoundsTest, ManyCategoriesSharingFewEntriesCostWhatTheyList) {
  TempFolder folder;
  const std::string db = SharedEntriesDb(folder.File("html.db"), 30, 100000);
  const std::string output = folder.File("目次.html");

  const Finished run = RunToc(db, output, std::chrono::seconds(120));
  ASSERT_EQ(run.status, 0) << "finished within the time-out";
  EXPECT_LT(run.peakRssKb, PeakRssBoundKb) << "peak memory in KB";
  EXPECT_LT(fs::file_size(output), 100000u * 1024) << "about a line for each of the 100,000 listings";
  const std::string html = ReadFile(output);
  EXPECT_NE(html.find("分類99999</a> <span class=\"entry-count\">(1)</span>"), std::string::npos);
  EXPECT_NE(html.find("、分類271、ほか3323件</span>"), std::string::npos) << "ten other categories named, the rest counted";
}

TEST(TocBoundsTest, ALimitEndsTheRunWithAMessageAndKeepsThePreviousOutput) {
  TempFolder folder;
  const std::string db = SharedEntriesDb(folder.File("html.db"), 2000, 10);
  const std::string output = folder.File("目次.html");
  const struct {
    const char* variable;
    std::string limit;
    std::string message;
  } limits[] = {
      {"TOCWERK_TOC_TEST_MAX_OUTPUT", "100000",
       "tocwerk-toc: " + output + " に保存できません。目次の大きさが上限 (100000 バイト) を超えます。\n"},
      {"TOCWERK_TOC_TEST_MAX_OUTPUT", "1073741824", ""},
      {"TOCWERK_TOC_TEST_MAX_MEMORY", "100000",
       "tocwerk-toc: 目次を作るのに要るメモリーが上限 (100000 バイト) を超えます。\n"},
      {"TOCWERK_TOC_TEST_MAX_MEMORY", "2147483648", ""},
  };
  for (const auto& l : limits) {
    WriteFile(output, "前の目次");
    const ScopedEnv env(l.variable, l.limit);
    const std::string errors = folder.File("errors.txt");
    const std::string command = TocProgram() + " '" + db + "' '" + output + "' 2>'" + errors + "'";
    const int status = std::system(command.c_str());
    SCOPED_TRACE(std::string(l.variable) + "=" + l.limit);
    EXPECT_EQ(ReadFile(errors), l.message);
    fs::remove(errors);
    if (l.message.empty()) {
      EXPECT_EQ(WEXITSTATUS(status), 0);
      EXPECT_NE(ReadFile(output).find("全2000件"), std::string::npos);
      continue;
    }
    EXPECT_EQ(WEXITSTATUS(status), 1);
    EXPECT_EQ(ReadFile(output), "前の目次");
    size_t files = 0;
    for ([[maybe_unused]] const auto& item : fs::directory_iterator(folder.Path()))
      ++files;
    EXPECT_EQ(files, 2u) << "no temporary file is left beside the database and the output";
  }
}

}
