#include "StoreFixture.h"
#include "support/PrivateWorkFolder.h"

#include "store/Tcomment.h"
#include "store/Tentry.h"
#include "store/Tkworkcopy.h"
#include "store/Tproject.h"

#include <filesystem>
#include <functional>

#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

class WorkCopyRecoveryTest : public ::testing::Test {
protected:
  // Runs work on a project database in a child process that then dies without
  // cleaning up, as a crash does.
  static void CrashAfter(const std::function<void(TProjectDb&)>& work) {
    const pid_t child = fork();
    if (child == 0) {
      auto* db = new TProjectDb;
      try {
        work(*db);
      } catch (const std::exception& e) {
        ADD_FAILURE() << e.what();
      }
      _exit(0);
    }
    int status = 0;
    waitpid(child, &status, 0);
  }

  std::string Project(const std::string& name) {
    const std::string path = Files.File(name);
    TProjectDb db;
    db.New(BlankProject());
    TProject project;
    project.SetEntryUrl("https://blog.example/");
    project.Save(path, db);
    return path;
  }

  PrivateWorkFolder Work;
  TempFolder Files;
};

TEST_F(WorkCopyRecoveryTest, TheWorkOfACrashedRunIsListedRecoveredOrDiscarded) {
  const std::string blog = Project("blog.proj");
  CrashAfter([&](TProjectDb& db) {
    TProject project;
    project.Load(blog, db);
    InsertEntry(db, "https://blog.example/1", "保存していない記事", 45000, false);
    TEntry entry(1, "https://blog.example/1", "", 0);
    entry.SetComment("一日かけたコメント");
    SaveComment(db, entry);
  });
  CrashAfter([](TProjectDb& db) {
    db.New(BlankProject());
    InsertEntry(db, "https://blog.example/9", "名前のないプロジェクト", 45000, false);
  });
  CrashAfter([](TProjectDb&) {});  // never filled: nothing to recover

  TProjectDb live;
  auto orphans = TProjectDb::ListOrphanedWorkCopies();
  ASSERT_EQ(orphans.size(), 2u) << "a live run's working copy is not listed";
  const auto crashed = std::find_if(orphans.begin(), orphans.end(),
                                    [&](const TWorkCopyInfo& o) { return !o.ProjectFile.empty(); });
  ASSERT_NE(crashed, orphans.end());
  EXPECT_EQ(crashed->ProjectFile, fs::canonical(blog).string());
  EXPECT_GT(crashed->Modified, 0);
  size_t sideFiles = 0;
  for (const auto& item : fs::directory_iterator(GetWorkFolder()))
    sideFiles += item.path().extension() == ".info";
  EXPECT_EQ(sideFiles, 3u) << "two orphans and the live copy, each with its side file";

  TProject recovered;
  recovered.Recover(*crashed, live);
  EXPECT_EQ(recovered.GetFileName(), crashed->ProjectFile);
  EXPECT_EQ(recovered.GetEntryUrl(), "https://blog.example/");
  const auto entries = LoadEntries(live);
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].GetComment(), "一日かけたコメント");
  EXPECT_FALSE(fs::exists(crashed->WorkFile));

  recovered.Save(recovered.GetFileName(), live);
  TProjectDb reader;
  reader.SetReadOnly(true);
  reader.Open(blog);
  EXPECT_EQ(LoadEntries(reader).size(), 1u) << "the recovered work saves into its project";

  orphans = TProjectDb::ListOrphanedWorkCopies();
  ASSERT_EQ(orphans.size(), 1u);
  TProjectDb::DiscardOrphanedWorkCopy(orphans[0]);
  EXPECT_TRUE(TProjectDb::ListOrphanedWorkCopies().empty());
  EXPECT_FALSE(fs::exists(orphans[0].WorkFile));
}

TEST_F(WorkCopyRecoveryTest, RecoveredWorkNeverOverwritesANewerSave) {
  const std::string blog = Project("blog.proj");
  CrashAfter([&](TProjectDb& db) {
    TProject project;
    project.Load(blog, db);
    InsertEntry(db, "https://blog.example/old", "古い作業", 45000, false);
  });
  {
    TProjectDb db;
    TProject project;
    project.Load(blog, db);
    InsertEntry(db, "https://blog.example/new", "後で保存した作業", 45001, false);
    project.Save(blog, db);
  }
  const auto orphans = TProjectDb::ListOrphanedWorkCopies();
  ASSERT_EQ(orphans.size(), 1u);
  TProjectDb db;
  TProject recovered;
  recovered.Recover(orphans[0], db);
  EXPECT_THROW(recovered.Save(blog, db), std::runtime_error);
  recovered.Save(Files.File("recovered.proj"), db);
  TProjectDb reader;
  reader.SetReadOnly(true);
  reader.Open(blog);
  EXPECT_EQ(LoadEntries(reader).at(0).GetTitle(), "後で保存した作業");
}

}
