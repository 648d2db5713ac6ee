// The project store on a project of 100,000 entries, each in 2 categories and
// with a comment.
#include "BenchProject.h"

#include "store/Tentry.h"
#include "store/Tkfileutility.h"
#include "store/Tproject.h"
#include "store/Tprojectdb.h"

#include <cstdio>
#include <string>

int main() {
  TProjectDb db;
  db.New(TOCWERK_BLANK_PROJECT);

  auto start = std::chrono::steady_clock::now();
  InsertBenchEntries(db, BenchEntryCount);
  PrintFigure("insert_entries_per_s", BenchEntryCount / SecondsSince(start), "entries/s");
  AddBenchCategoriesAndComments(db, BenchEntryCount);

  start = std::chrono::steady_clock::now();
  const std::vector<TEntry> entries = LoadEntries(db);
  PrintFigure("load_entries_s", SecondsSince(start), "s");
  if (entries.size() != BenchEntryCount || entries.front().GetCategoryIds().size() != 2) {
    std::fprintf(stderr, "bench_store: LoadEntries gave the wrong entries\n");
    return 1;
  }

  DeleteEntries(db, true);
  for (int i = 0; i < 100; ++i)
    InsertEntry(db, BenchEntryUrl(BenchEntryCount + i), "新しい記事", 46000.0 + i, true);
  start = std::chrono::steady_clock::now();
  MergeStagedEntries(db);
  PrintFigure("merge_staged_s", SecondsSince(start), "s");

  TProject project;
  project.SetEntryUrl("https://example.blog.jp/");
  project.SetBlogTypeName("汎用 (HTML5)");
  project.SetHtmlTemplateName("カテゴリ別目次");
  for (int c = 1; c <= BenchCategoryCount; ++c)
    project.AddCategory("カテゴリ" + std::to_string(c),
                        "https://example.blog.jp/archives/cat_" + std::to_string(c) + ".html");
  project.SetHtmlSettings({{"タイトル", "目次"}, {"並び順", "新しい順"}});
  const std::string projectFile = CreateTempFile("", "bench-store-");
  start = std::chrono::steady_clock::now();
  project.Save(projectFile, db);
  PrintFigure("project_save_s", SecondsSince(start), "s");
  // The whole open: copy, check of every table, settings read, then the swap.
  start = std::chrono::steady_clock::now();
  project.Load(projectFile, db);
  PrintFigure("project_open_s", SecondsSince(start), "s");
  std::remove(projectFile.c_str());

  PrintFigure("store_peak_rss_mb", PeakRssMb(), "MB");
  return 0;
}
