#include "BenchProject.h"

#include "store/Tcategory.h"
#include "store/Tcategoryentry.h"
#include "store/Tcomment.h"
#include "store/Tentry.h"
#include "store/Tprojectdb.h"

#include <cstdio>
#include <vector>

#include <sys/resource.h>

namespace {

constexpr int EntriesPerPage = 20;

}

std::string BenchEntryUrl(int i) {
  return "https://example.blog.jp/archives/" + std::to_string(1000000 + i) + ".html";
}

void InsertBenchEntries(TProjectDb& db, int count) {
  for (int i = 0; i < count; ++i) {
    const std::string url = BenchEntryUrl(i);
    if (!EntryExists(db, url))
      InsertEntry(db, url, "日本のブログ記事のタイトル その" + std::to_string(i) + " 〜雑記〜",
                  45000.0 + (count - i) * 0.01, false);
  }
}

void AddBenchCategoriesAndComments(TProjectDb& db, int count) {
  DeleteCategories(db);
  InsertCategory(db, 0, " ", "");
  for (int c = 1; c <= BenchCategoryCount; ++c)
    InsertCategory(db, c, "カテゴリ" + std::to_string(c),
                   "https://example.blog.jp/archives/cat_" + std::to_string(c) + ".html");
  // Page by page, as the category crawl writes them.
  const int half = BenchCategoryCount / 2;
  for (int pass = 0; pass < 2; ++pass) {
    for (int first = 0; first < count; first += EntriesPerPage) {
      std::vector<std::string> page;
      for (int i = first; i < first + EntriesPerPage && i < count; ++i)
        page.push_back(BenchEntryUrl(i));
      InsertCategoryMemberships(db, 1 + pass * half + (first / EntriesPerPage) % half, page);
    }
  }
  for (int i = 0; i < count; ++i) {
    TEntry entry(i + 1, BenchEntryUrl(i), "", 0);
    entry.SetComment("この記事は" + std::to_string(i) + "番目です。\n読み返したい。");
    SaveComment(db, entry);
  }
}

double SecondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void PrintFigure(const char* name, double value, const char* unit) {
  std::printf("%s %.3f %s\n", name, value, unit);
  std::fflush(stdout);
}

double PeakRssMb() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss / 1024.0;
}
