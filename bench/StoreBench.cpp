// The project store on a project of 100,000 entries, each in 2 categories and
// with a comment.
#include "store/Tcategoryentry.h"
#include "store/Tcomment.h"
#include "store/Tentry.h"
#include "store/Tkfileutility.h"
#include "store/Tproject.h"
#include "store/Tprojectdb.h"

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include <sys/resource.h>

namespace {

constexpr int EntryCount = 100000;
constexpr int CategoryCount = 20;
constexpr int EntriesPerPage = 20;

double Seconds(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

std::string EntryUrl(int i) {
  return "https://example.blog.jp/archives/" + std::to_string(1000000 + i) + ".html";
}

void Print(const char* name, double value, const char* unit) {
  std::printf("%s %.3f %s\n", name, value, unit);
  std::fflush(stdout);
}

}

int main() {
  TProjectDb db;
  db.New(TOCWERK_BLANK_PROJECT);

  auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < EntryCount; ++i) {
    const std::string url = EntryUrl(i);
    if (!EntryExists(db, url))
      InsertEntry(db, url, "日本のブログ記事のタイトル その" + std::to_string(i) + " 〜雑記〜",
                  45000.0 + i * 0.01, false);
  }
  Print("insert_entries_per_s", EntryCount / Seconds(start), "entries/s");

  // Two categories an entry, written page by page as the category crawl does.
  for (int pass = 0; pass < 2; ++pass) {
    for (int first = 0; first < EntryCount; first += EntriesPerPage) {
      std::vector<std::string> page;
      for (int i = first; i < first + EntriesPerPage && i < EntryCount; ++i)
        page.push_back(EntryUrl(i));
      const int category = 1 + pass * (CategoryCount / 2) + (first / EntriesPerPage) % (CategoryCount / 2);
      InsertCategoryMemberships(db, category, page);
    }
  }
  for (int i = 0; i < EntryCount; ++i)
    SaveComment(db, TEntry(i + 1, EntryUrl(i), "", 0,
                           "この記事は" + std::to_string(i) + "番目です。\n読み返したい。"));

  start = std::chrono::steady_clock::now();
  const std::vector<TEntry> entries = LoadEntries(db);
  Print("load_entries_s", Seconds(start), "s");
  if (entries.size() != EntryCount || entries.front().GetCategoryIds().size() != 2) {
    std::fprintf(stderr, "bench_store: LoadEntries gave the wrong entries\n");
    return 1;
  }

  DeleteEntries(db, true);
  for (int i = 0; i < 100; ++i)
    InsertEntry(db, EntryUrl(EntryCount + i), "新しい記事", 46000.0 + i, true);
  start = std::chrono::steady_clock::now();
  MergeStagedEntries(db);
  Print("merge_staged_s", Seconds(start), "s");

  TProject project;
  project.SetEntryUrl("https://example.blog.jp/");
  project.SetBlogTypeName("汎用 (HTML5)");
  project.SetHtmlTemplateName("カテゴリ別目次");
  for (int c = 1; c <= CategoryCount; ++c)
    project.AddCategory("カテゴリ" + std::to_string(c),
                        "https://example.blog.jp/archives/cat_" + std::to_string(c) + ".html");
  project.SetHtmlSettings({{"タイトル", "目次"}, {"並び順", "新しい順"}});
  const std::string projectFile = CreateTempFile("", "bench-store-");
  start = std::chrono::steady_clock::now();
  project.Save(projectFile, db);
  Print("project_save_s", Seconds(start), "s");
  std::remove(projectFile.c_str());

  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  Print("store_peak_rss_mb", usage.ru_maxrss / 1024.0, "MB");
  return 0;
}
