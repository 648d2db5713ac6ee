#include "TocTestProject.h"

#include "store/Tdbconnection.h"
#include "store/Tdbquery.h"
#include "store/Tkfilelock.h"
#include "store/Tkfileutility.h"
#include "support/ScopedEnv.h"
#include "support/TempFolder.h"
#include "toc/Tgenerationdb.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <stdexcept>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// Every row of a query, its fields joined with "|".
std::vector<std::string> Rows(const std::string& file, const std::string& sql,
                              const std::vector<std::string>& fields) {
  TDbConnection connection;
  connection.SetFileName(file);
  TDbQuery query(connection);
  query.SetSql(sql);
  std::vector<std::string> rows;
  for (query.Open(); !query.Eof(); query.Next()) {
    std::string row;
    for (const std::string& field : fields)
      row += (row.empty() ? "" : "|") + query.GetText(field);
    rows.push_back(row);
  }
  return rows;
}

TEST(GenerationDbTest, TheExportHoldsEveryRowAsThePartnerProgramsExpect) {
  TProjectDb db;
  FillSampleProject(db);
  const std::string file =
      ExportGenerationDb(db, BlankGenerationDb(), {"タイトル=私の目次", "説明=", "並び順=古い順",
                                                    "タイトル=二度目", "値なし"});
  EXPECT_EQ(FolderOf(file), GetTempFolder());

  EXPECT_EQ(Rows(file, "select * from entries order by rowid", {"id", "url", "タイトル", "日付", "コメント"}),
            (std::vector<std::string>{"1|https://blog.example/3|新しい記事|45413.5|",
                                      "2|https://blog.example/2|旅のごはん|45383.25|おいしかった\n二行目",
                                      "3|https://blog.example/1|古い記事|45292.0|"}));
  EXPECT_EQ(Rows(file, "select * from entries_categories order by rowid", {"entry_id", "category_id"}),
            (std::vector<std::string>{"1|2", "2|1", "2|2", "3|0"}));
  EXPECT_EQ(Rows(file, "select * from categories order by rowid", {"id", "name", "url"}),
            (std::vector<std::string>{"0| |", "1|料理|https://blog.example/cat/food",
                                      "2|旅行|https://blog.example/cat/travel",
                                      "3|日記|https://blog.example/cat/diary"}));
  EXPECT_EQ(Rows(file, "select * from html order by rowid", {"name", "data"}),
            (std::vector<std::string>{"タイトル|私の目次", "説明|", "並び順|古い順",
                                      "タイトル|私の目次", "値なし|"}));
  fs::remove(file);
}

TEST(GenerationDbTest, AnEmptyProjectStillExportsItsCategoriesAndEachExportIsNew) {
  TProjectDb db;
  db.New(GetDbFolder() + "blog.mdb");
  DeleteCategories(db);
  InsertCategory(db, 0, " ", "");
  const std::string first = ExportGenerationDb(db, BlankGenerationDb(), {});
  const std::string second = ExportGenerationDb(db, BlankGenerationDb(), {});
  EXPECT_NE(first, second);
  EXPECT_TRUE(fs::exists(first));
  EXPECT_TRUE(Rows(first, "select * from entries", {"id"}).empty());
  EXPECT_TRUE(Rows(first, "select * from entries_categories", {"entry_id"}).empty());
  EXPECT_TRUE(Rows(first, "select * from html", {"name"}).empty());
  EXPECT_EQ(Rows(first, "select * from categories", {"id"}), (std::vector<std::string>{"0"}));
  fs::remove(first);
  fs::remove(second);
}

TEST(GenerationDbTest, AMissingBlankFileFailsWithTheUsualMessage) {
  TProjectDb db;
  FillSampleProject(db);
  try {
    ExportGenerationDb(db, "/nonexistent/db/html.mdb", {});
    FAIL() << "a missing blank file must fail";
  } catch (const std::runtime_error& e) {
    EXPECT_STREQ(e.what(), "データファイルの作成に失敗しました。");
  }
}

TEST(GenerationDbTest, AnExportThatFailsAfterTheCopyRemovesItsFile) {
  TempFolder folder;
  fs::create_directory(folder.File("blank"));
  const std::string notADatabase = folder.File("blank/html.mdb");
  WriteFile(notADatabase, std::string(4096, 'x'));
  TProjectDb db;
  FillSampleProject(db);
  fs::create_directory(folder.File("tmp"));
  {
    const ScopedEnv tmpdir("TMPDIR", folder.File("tmp"));
    EXPECT_THROW(ExportGenerationDb(db, notADatabase, {"タイトル=x"}), std::runtime_error);
  }
  EXPECT_TRUE(fs::is_empty(folder.File("tmp")));
}

// The check is asked before each row of entries, categories and settings, and
// before each entry's memberships.
TEST(GenerationDbTest, ACancelledExportRemovesItsFileWhereverItStops) {
  TempFolder folder;
  TProjectDb db;
  FillSampleProject(db);
  const ScopedEnv tmpdir("TMPDIR", folder.Path());
  for (const int stopAt : {1, 3, 5, 8, 11}) {
    SCOPED_TRACE(stopAt);
    int asked = 0;
    const auto canceled = [&] { return ++asked == stopAt; };
    EXPECT_THROW(ExportGenerationDb(db, BlankGenerationDb(), {"タイトル=x"}, nullptr, canceled), TCanceledError);
    EXPECT_EQ(asked, stopAt);
    EXPECT_TRUE(fs::is_empty(folder.Path()));
  }
  int asked = 0;
  fs::remove(ExportGenerationDb(db, BlankGenerationDb(), {"タイトル=x"}, nullptr, [&] { return ++asked > 11; }));
  EXPECT_EQ(asked, 11) << "three entries, their memberships entry by entry, four categories, one setting";
}

TEST(GenerationDbTest, AReadOnlyBlankFileGivesAWritableCopy) {
  TempFolder folder;
  const std::string blank = folder.File("html.mdb");
  fs::copy_file(BlankGenerationDb(), blank);
  chmod(blank.c_str(), 0444);
  TProjectDb db;
  FillSampleProject(db);
  const std::string file = ExportGenerationDb(db, blank, {"タイトル=x"});
  EXPECT_EQ(Rows(file, "select count(*) as n from entries", {"n"}), (std::vector<std::string>{"3"}));
  fs::remove(file);
}

// A generation database is named for Tocwerk and stays while a holder of its lock
// lives, here a child process; once nobody holds it and it is over a minute old,
// RemoveStaleGenerationDbs removes it.
TEST(GenerationDbTest, OnlyUnusedOldGenerationDatabasesAreRemovedAsStale) {
  TempFolder temp;
  const ScopedEnv tmpdir("TMPDIR", temp.Path());
  TProjectDb db;
  FillSampleProject(db);
  const auto old = [](const std::string& path) {
    fs::last_write_time(path, fs::file_time_type::clock::now() - std::chrono::minutes(2));
  };
  TFileLock lock;
  const std::string held = ExportGenerationDb(db, BlankGenerationDb(), {}, &lock);
  EXPECT_EQ(held.rfind(temp.Path(), 0), 0u) << held;
  EXPECT_EQ(fs::path(held).filename().string().rfind("tocwerk-gen-", 0), 0u) << held;
  const pid_t child = fork();
  if (child == 0) {
    // The child's copy of the lock, as a template program inherits it.
    pause();
    _exit(0);
  }
  lock.Release();
  const std::string young = ExportGenerationDb(db, BlankGenerationDb(), {});
  const std::string unused = ExportGenerationDb(db, BlankGenerationDb(), {});
  const std::string other = temp.File("unrelated");
  WriteFile(other, "");
  for (const std::string& path : {held, unused, other})
    old(path);

  RemoveStaleGenerationDbs();
  EXPECT_TRUE(fs::exists(held)) << "its lock lives in the child";
  EXPECT_TRUE(fs::exists(young));
  EXPECT_FALSE(fs::exists(unused));
  EXPECT_TRUE(fs::exists(other));

  kill(child, SIGKILL);
  waitpid(child, nullptr, 0);
  RemoveStaleGenerationDbs();
  EXPECT_FALSE(fs::exists(held));
  fs::remove(young);
}

}
