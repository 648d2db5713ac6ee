// tocwerk-toc on projects with very many categories sharing 30 entries, each
// category listing one entry: time, peak memory and size of the page.
#include "BenchProject.h"

#include "store/Tkfileutility.h"

#include <sqlite3.h>

#include <cstdio>
#include <filesystem>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>

extern char** environ;

namespace {

constexpr int SharedEntries = 30;

void Exec(sqlite3* db, const std::string& sql) {
  sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr);
}

std::string SharedEntriesDb(int categories) {
  const std::string path = CreateTempFile("", "bench-toc-categories-");
  std::filesystem::copy_file(TOCWERK_BLANK_GENERATION, path,
                             std::filesystem::copy_options::overwrite_existing);
  sqlite3* db = nullptr;
  sqlite3_open(path.c_str(), &db);
  Exec(db, "begin");
  for (int i = 1; i <= SharedEntries; ++i)
    Exec(db, "insert into entries values (" + std::to_string(i) + ", 'https://blog.example/" +
                 std::to_string(i) + "', '記事" + std::to_string(i) + "', " + std::to_string(45000 + i) +
                 ", '')");
  Exec(db, "with recursive n(i) as (select 1 union all select i + 1 from n where i < " +
               std::to_string(categories) +
               ") insert into categories select i, 'カテゴリ' || i, 'https://blog.example/c/' || i from n");
  Exec(db, "insert into entries_categories select 1 + id % " + std::to_string(SharedEntries) +
               ", id from categories");
  Exec(db, "commit");
  sqlite3_close(db);
  return path;
}

void Measure(const char* name, int categories) {
  const std::string db = SharedEntriesDb(categories);
  const std::string output = CreateTempFile("", "bench-toc-categories-");
  const std::string program = TOCWERK_TOC_PROGRAM;
  char* argv[] = {const_cast<char*>(program.c_str()), const_cast<char*>(db.c_str()),
                  const_cast<char*>(output.c_str()), nullptr};
  const auto start = std::chrono::steady_clock::now();
  pid_t pid = 0;
  int status = -1;
  rusage usage{};
  if (posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv, environ) != 0 ||
      wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    std::fprintf(stderr, "bench_toc_categories: tocwerk-toc failed\n");
  } else {
    const std::string prefix = std::string("toc_") + name;
    PrintFigure((prefix + "_s").c_str(), SecondsSince(start), "s");
    PrintFigure((prefix + "_peak_rss_mb").c_str(), usage.ru_maxrss / 1024.0, "MB");
    PrintFigure((prefix + "_output_mb").c_str(), std::filesystem::file_size(output) / 1e6, "MB");
    PrintFigure((prefix + "_project_mb").c_str(), std::filesystem::file_size(db) / 1e6, "MB");
  }
  std::remove(output.c_str());
  std::remove(db.c_str());
}

}

int main() {
  Measure("categories_100k", 100000);
  Measure("categories_1m", 1000000);
  return 0;
}
