#include "StoreFixture.h"

#include "store/Tentry.h"
#include "store/Tkfileutility.h"
#include "store/Tkworkcopy.h"

#include <filesystem>
#include <stdexcept>

#include <sys/stat.h>

namespace fs = std::filesystem;

namespace {

mode_t ModeOf(const std::string& path) {
  struct stat info {};
  stat(path.c_str(), &info);
  return info.st_mode & 07777;
}

// A project database as an older version wrote it: no tmp_entries.
void MakeVersion1File(const std::string& path, const std::string& version) {
  WriteFile(path, "");
  TDbConnection connection;
  connection.SetFileName(path);
  connection.ExecuteDirect(
      "create table config (name TEXT, data TEXT);"
      "create table entries (id INTEGER, url TEXT, タイトル TEXT, 日付 REAL);"
      "create table categories (id INTEGER, name TEXT, url TEXT);"
      "create table categories_entry (category_id INTEGER, url TEXT);"
      "create table comments (url TEXT, comment TEXT);"
      "create table html (name TEXT, data TEXT);"
      "insert into entries values (1, 'http://blog.example/1', '古い記事', 40000);");
  if (version != "none")
    connection.ExecuteDirect("insert into config values ('version', '" + version + "')");
}

std::vector<std::string> Columns(TProjectDb& db, const std::string& table) {
  std::vector<std::string> columns;
  db.Query.SetSql("select name from pragma_table_info('" + table + "') order by cid");
  for (db.Query.Open(); !db.Query.Eof(); db.Query.Next())
    columns.push_back(db.Query.GetText("name"));
  db.Query.Close();
  return columns;
}

using ProjectDbTest = StoreTest;

TEST_F(ProjectDbTest, TheWorkingCopyIsAPrivateFileInTheWorkFolderDeletedWithTheObject) {
  std::string work;
  {
    TProjectDb db;
    work = db.GetWorkFileName();
    EXPECT_EQ(FolderOf(work), GetWorkFolder());
    EXPECT_EQ(ModeOf(GetWorkFolder()), 0700u);
    EXPECT_TRUE(fs::is_regular_file(work));
    EXPECT_EQ(fs::file_size(work), 0u);
    EXPECT_EQ(ModeOf(work), 0600u);
    EXPECT_EQ(db.GetFileName(), "");
  }
  EXPECT_FALSE(fs::exists(work));
  EXPECT_FALSE(fs::exists(work + ".info"));
}

TEST_F(ProjectDbTest, ABlankProjectIsCurrentVersionWithEveryTable) {
  EXPECT_EQ(Db.GetVersion(), 2);
  EXPECT_EQ(Db.GetFileName(), Db.GetWorkFileName());
  const std::vector<std::string> entryColumns{"id", "url", "タイトル", "日付"};
  EXPECT_EQ(Columns(Db, "entries"), entryColumns);
  EXPECT_EQ(Columns(Db, "tmp_entries"), entryColumns);
  EXPECT_EQ(Columns(Db, "categories_entry"), (std::vector<std::string>{"category_id", "url"}));
  EXPECT_EQ(Columns(Db, "comments"), (std::vector<std::string>{"url", "comment"}));
  EXPECT_EQ(Columns(Db, "html"), (std::vector<std::string>{"name", "data"}));
}

TEST_F(ProjectDbTest, AVersion1DatabaseIsUpgradedOnceOnOpen) {
  const std::string file = Folder.File("old.proj");
  MakeVersion1File(file, "1");
  Db.Open(file);
  EXPECT_EQ(Db.GetVersion(), 2);
  EXPECT_EQ(Columns(Db, "tmp_entries"), (std::vector<std::string>{"id", "url", "タイトル", "日付"}));
  EXPECT_EQ(LoadEntries(Db).at(0).GetTitle(), "古い記事");

  const std::string saved = Folder.File("saved.proj");
  Db.SaveTo(saved);
  Db.Open(saved);
  EXPECT_EQ(Db.GetVersion(), 2);
  EXPECT_EQ(CountRows(Db, "config", "name='version'"), 1);
}

TEST_F(ProjectDbTest, AMissingOrUnreadableVersionIsZeroAndNotUpgraded) {
  for (const std::string version : {"none", "", "abc", "1.0", "2x"}) {
    const std::string file = Folder.File("v.proj");
    MakeVersion1File(file, version);
    Db.Open(file);
    EXPECT_EQ(Db.GetVersion(), 0) << "version '" << version << "'";
    EXPECT_EQ(CountRows(Db, "config", "name='version'"), version == "none" ? 0 : 1);
    EXPECT_EQ(Columns(Db, "tmp_entries").size(), 4u) << "every crawl stages, whatever the version";
  }
}

TEST_F(ProjectDbTest, OpeningTheWorkingCopyItselfCopiesNothing) {
  InsertEntry(Db, "http://blog.example/1", "記事", 45000, false);
  Db.Open(Db.GetWorkFileName());
  EXPECT_EQ(LoadEntries(Db).size(), 1u);
  EXPECT_EQ(Db.GetFileName(), Db.GetWorkFileName());
}

TEST_F(ProjectDbTest, SetConfigLeavesOneRowPerKey) {
  Db.GetConnection().ExecuteDirect(
      "insert into config values ('entry_url', 'a'); insert into config values ('entry_url', 'b')");
  Db.SetConfig("entry_url", "https://blog.example/");
  EXPECT_EQ(CountRows(Db, "config", "name='entry_url'"), 1);
  EXPECT_EQ(Scalar(Db, "select data as v from config where name='entry_url'"), "https://blog.example/");
}

TEST_F(ProjectDbTest, SaveToReplacesTheFileAndKeepsWorking) {
  const std::string file = Folder.File("blog.proj");
  WriteFile(file, "an older project file");
  chmod(file.c_str(), 0640);
  InsertEntry(Db, "http://blog.example/1", "一つ目", 45000.5, false);

  Db.SaveTo(file);
  EXPECT_EQ(ModeOf(file), 0640u) << "a replaced file keeps its permissions";
  EXPECT_EQ(Db.GetFileName(), Db.GetWorkFileName()) << "saving does not change the file name";
  InsertEntry(Db, "http://blog.example/2", "二つ目", 45001, false);
  EXPECT_EQ(LoadEntries(Db).size(), 2u) << "the working copy stays connected and writable";

  size_t leftovers = 0;
  for (const auto& item : fs::directory_iterator(Folder.Path()))
    leftovers += item.path().filename() != "blog.proj";
  EXPECT_EQ(leftovers, 0u) << "no temporary file is left beside the project";

  TProjectDb other;
  other.SetReadOnly(true);
  other.Open(file);
  const auto entries = LoadEntries(other);
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].GetTitle(), "一つ目");
  EXPECT_DOUBLE_EQ(entries[0].GetDate(), 45000.5);
}

TEST_F(ProjectDbTest, AReadOnlyProjectFileOpensIntoAWritableWorkingCopy) {
  const std::string file = Folder.File("readonly.proj");
  Db.SaveTo(file);
  chmod(file.c_str(), 0444);
  Db.New(BlankProject());
  TProjectDb other;
  other.Open(file);
  InsertEntry(other, "http://blog.example/1", "記事", 45000, false);
  EXPECT_EQ(LoadEntries(other).size(), 1u);
}

TEST(FileUtilityTest, TemporaryFilesAreUniqueAndPrivate) {
  TempFolder folder;
  const std::string a = CreateTempFile(folder.Path(), "x");
  const std::string b = CreateTempFile(folder.Path(), "x");
  EXPECT_NE(a, b);
  EXPECT_EQ(FolderOf(a), folder.Path());
  EXPECT_EQ(ModeOf(a), 0600u);
  EXPECT_EQ(GetTempFolder().back(), '/');
  try {
    CreateTempFile(folder.File("missing"), "");
    FAIL() << "a missing folder must raise";
  } catch (const std::runtime_error& e) {
    EXPECT_STREQ(e.what(), "一時ファイルの作成に失敗しました。");
  }
}

TEST(FileUtilityTest, CopyFilesReportsFailureInsteadOfThrowing) {
  TempFolder folder;
  WriteFile(folder.File("a"), "new");
  WriteFile(folder.File("b"), "old");
  EXPECT_TRUE(CopyFiles(folder.File("a"), folder.File("b"), false));
  EXPECT_EQ(ReadFile(folder.File("b")), "new");
  EXPECT_FALSE(CopyFiles(folder.File("missing"), folder.File("b"), false));
  EXPECT_FALSE(CopyFiles(folder.File("a"), folder.File("nofolder/b"), false));
  EXPECT_EQ(ReadFile(folder.File("b")), "new");
}

}
