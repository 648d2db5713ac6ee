// The make run on a project of 100,000 entries, each in 2 categories and with a
// comment: the export, then the bundled template program on its result.
#include "BenchProject.h"

#include "store/Tkfileutility.h"
#include "store/Tprojectdb.h"
#include "toc/Tgenerationdb.h"

#include <cstdio>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>

extern char** environ;

int main() {
  TProjectDb db;
  db.New(TOCWERK_BLANK_PROJECT);
  InsertBenchEntries(db, BenchEntryCount);
  AddBenchCategoriesAndComments(db, BenchEntryCount);

  auto start = std::chrono::steady_clock::now();
  const std::string generationDb = ExportGenerationDb(
      db, TOCWERK_BLANK_GENERATION,
      {"タイトル=目次", "説明=ベンチマーク", "並び順=新しい順", "コメント表示=する", "未分類の見出し="});
  PrintFigure("export_100k_s", SecondsSince(start), "s");

  const std::string output = CreateTempFile("", "bench-toc-");
  const std::string program = TOCWERK_TOC_PROGRAM;
  char* argv[] = {const_cast<char*>(program.c_str()), const_cast<char*>(generationDb.c_str()),
                  const_cast<char*>(output.c_str()), const_cast<char*>(program.c_str()), nullptr};
  start = std::chrono::steady_clock::now();
  pid_t pid = 0;
  int status = -1;
  if (posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv, environ) != 0 ||
      waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    std::fprintf(stderr, "bench_toc: tocwerk-toc failed\n");
    return 1;
  }
  PrintFigure("toc_100k_s", SecondsSince(start), "s");
  rusage usage{};
  getrusage(RUSAGE_CHILDREN, &usage);
  PrintFigure("toc_peak_rss_mb", usage.ru_maxrss / 1024.0, "MB");
  std::remove(output.c_str());
  std::remove(generationDb.c_str());
  return 0;
}
