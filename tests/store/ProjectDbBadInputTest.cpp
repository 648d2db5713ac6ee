#include "StoreFixture.h"

#include "store/Tentry.h"
#include "store/Tproject.h"

#include <filesystem>
#include <functional>
#include <stdexcept>

#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// A saved project with one entry is current; every bad file must leave both the
// working copy and that saved file as they were.
class ProjectDbBadInputTest : public StoreTest {
protected:
  ProjectDbBadInputTest() {
    InsertEntry(Db, "http://blog.example/1", "大事な記事", 45000, false);
    Db.SaveTo(Saved);
    SavedBytes = ReadFile(Saved);
    Db.Open(Saved);
  }

  void ExpectOpenFails(const std::string& file, const std::string& expected) {
    try {
      Db.Open(file);
      ADD_FAILURE() << "opening " << file << " must fail";
    } catch (const std::runtime_error& e) {
      EXPECT_NE(std::string(e.what()).find(expected), std::string::npos) << e.what();
    }
    ExpectNothingLost();
  }

  void ExpectNothingLost() {
    EXPECT_EQ(Db.GetFileName(), Saved);
    const auto entries = LoadEntries(Db);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].GetTitle(), "大事な記事");
    EXPECT_EQ(ReadFile(Saved), SavedBytes);
  }

  std::string Saved = Folder.File("saved.proj");
  std::string SavedBytes;
};

TEST_F(ProjectDbBadInputTest, AFileThatIsNotADatabase) {
  const std::string file = Folder.File("notes.proj");
  WriteFile(file, "これはプロジェクトファイルではありません。\n" + std::string(5000, 'x'));
  ExpectOpenFails(file, "notes.proj を開けません。プロジェクトファイルではないか、壊れています。");
}

TEST_F(ProjectDbBadInputTest, ADatabaseWithoutTheProjectTables) {
  const std::string file = Folder.File("other.db");
  WriteFile(file, "");
  TDbConnection other;
  other.SetFileName(file);
  other.ExecuteDirect("create table config (name TEXT, data TEXT); create table notes (x TEXT)");
  other.Close();
  ExpectOpenFails(file, "テーブル entries がありません");
}

TEST_F(ProjectDbBadInputTest, AMissingFileOrAFolder) {
  ExpectOpenFails(Folder.File("missing.proj"), "データファイルの作成に失敗しました。");
  fs::create_directory(Folder.File("folder.proj"));
  ExpectOpenFails(Folder.File("folder.proj"), "データファイルの作成に失敗しました。");
}

TEST_F(ProjectDbBadInputTest, AnUnreadableFile) {
  if (geteuid() == 0)
    GTEST_SKIP() << "permissions do not stop root";
  const std::string file = Folder.File("locked.proj");
  fs::copy_file(Saved, file);
  chmod(file.c_str(), 0);
  ExpectOpenFails(file, "データファイルの作成に失敗しました。");
}

TEST_F(ProjectDbBadInputTest, ATruncatedProjectFile) {
  for (int i = 2; i < 3000; ++i)
    InsertEntry(Db, "http://blog.example/" + std::to_string(i), std::string(200, 'x'), 45000, false);
  const std::string big = Folder.File("big.proj");
  Db.SaveTo(big);
  Db.Open(Saved);
  const std::string bytes = ReadFile(big);
  const std::string cut = Folder.File("cut.proj");
  WriteFile(cut, bytes.substr(0, bytes.size() / 2));
  ExpectOpenFails(cut, "壊れています");
}

TEST_F(ProjectDbBadInputTest, LoadingABadFileLeavesTheProjectSettingsAlone) {
  TProject project;
  project.SetEntryUrl("https://blog.example/");
  project.Save(Saved, Db);
  SavedBytes = ReadFile(Saved);
  const std::string file = Folder.File("notes.proj");
  WriteFile(file, std::string(5000, 'x'));
  EXPECT_THROW(project.Load(file, Db), std::runtime_error);
  EXPECT_EQ(project.GetEntryUrl(), "https://blog.example/");
  EXPECT_EQ(project.GetFileName(), Saved);
  ExpectNothingLost();
}

TEST_F(ProjectDbBadInputTest, SavingWhereNoFileCanBeWritten) {
  const std::string blocker = Folder.File("plain-file");
  WriteFile(blocker, "x");
  for (const std::string& target : {Folder.File("missing/new.proj"), blocker + "/new.proj"}) {
    try {
      Db.SaveTo(target);
      ADD_FAILURE() << "saving to " << target << " must fail";
    } catch (const std::runtime_error& e) {
      EXPECT_NE(std::string(e.what()).find(target + " に保存できません。"), std::string::npos)
          << e.what();
    }
  }
  ExpectNothingLost();
}

TEST_F(ProjectDbBadInputTest, AFailedSaveLeavesTheOldFileAndNoLeftovers) {
  fs::create_directory(Folder.File("taken.proj"));
  WriteFile(Folder.File("taken.proj/inside"), "x");
  EXPECT_THROW(Db.SaveTo(Folder.File("taken.proj")), std::runtime_error);
  EXPECT_TRUE(fs::is_directory(Folder.File("taken.proj")));
  size_t items = 0;
  for ([[maybe_unused]] const auto& item : fs::directory_iterator(Folder.Path()))
    ++items;
  EXPECT_EQ(items, 2u) << "only the saved project and the folder";
  ExpectNothingLost();
}

TEST_F(ProjectDbBadInputTest, SavingIntoAReadOnlyFolder) {
  if (geteuid() == 0)
    GTEST_SKIP() << "permissions do not stop root";
  chmod(Folder.Path().c_str(), 0555);
  EXPECT_THROW(Db.SaveTo(Saved), std::runtime_error);
  chmod(Folder.Path().c_str(), 0755);
  ExpectNothingLost();
}

}
