#include "CliRun.h"
#include "support/PrivateWorkFolder.h"

#include "store/Tdbconnection.h"
#include "store/Tdbquery.h"
#include "store/Tkworkcopy.h"
#include "store/Tproject.h"
#include "store/Tprojectdb.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>

namespace fs = std::filesystem;

namespace {

struct CrashCase {
  const char* Name;
  std::vector<std::string> Arguments;
};

std::string Integrity(TDbQuery& query) {
  query.Close();
  query.SetSql("PRAGMA integrity_check");
  query.Open();
  const std::string result = query.Eof() ? std::string() : query.GetText("integrity_check");
  query.Close();
  return result;
}

std::string IntegrityOf(const std::string& path) {
  TDbConnection connection;
  connection.SetFileName(path);
  TDbQuery query(connection);
  return Integrity(query);
}

long EntryCount(TProjectDb& db) {
  db.Query.Close();
  db.Query.SetSql("select count(*) as n from entries");
  db.Query.Open();
  const long count = db.Query.GetInteger("n");
  db.Query.Close();
  return count;
}

std::set<std::string> FolderNames(const std::string& folder) {
  std::set<std::string> names;
  for (const auto& item : fs::directory_iterator(folder))
    names.insert(item.path().filename().string());
  return names;
}

// Runs the killable tocwerk-cli; the VFS it carries counts or kills at writes.
QProcess::ExitStatus RunKillable(const std::vector<std::string>& arguments, const std::string& config,
                                 const std::string& variable, const std::string& value) {
  QProcess process;
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert(QString::fromStdString(variable), QString::fromStdString(value));
  process.setProcessEnvironment(environment);
  process.setStandardInputFile(QProcess::nullDevice());
  QStringList list{QStringLiteral("--config"), QString::fromStdString(config)};
  for (const std::string& argument : arguments)
    list << QString::fromStdString(argument);
  process.start(QStringLiteral(TOCWERK_CLI_KILLABLE), list);
  EXPECT_TRUE(process.waitForFinished(120000));
  return process.exitStatus();
}

// A project with 20 stored entries, their categories and a comment, on a blog that
// has grown by 20 since.
class CrashingCommands {
public:
  CrashingCommands() : Blog(Options()) {
    EXPECT_EQ(Blog.Init(Base).Status, 0);
    EXPECT_EQ(Blog.Cli({"crawl", Base}).Status, 0);
    EXPECT_EQ(Blog.Cli({"comment", Base, Blog.Url(TSampleBlog::EntryPath(3)), "残すコメント"}).Status, 0);
    Blog.Grow(40);
  }

  // Kills the command at write points spread over all its writes; each time the
  // project file is whole, the working copy left behind is whole and recovers, and
  // the next save leaves nothing else beside the project.
  void Run(const CrashCase& row) {
    SCOPED_TRACE(row.Name);
    const long writes = CountWrites(row);
    ASSERT_GT(writes, 3);
    constexpr long Points = 24;
    for (long point = 1; point <= writes; point += std::max(1L, writes / Points))
      KillAt(row, point);
  }

private:
  static TSampleBlogOptions Options() {
    TSampleBlogOptions options;
    options.Entries = 20;
    return options;
  }

  std::vector<std::string> ArgumentsFor(const CrashCase& row, const std::string& project) const {
    std::vector<std::string> arguments{row.Arguments.front(), project};
    for (std::size_t index = 1; index < row.Arguments.size(); ++index)
      arguments.push_back(row.Arguments[index] == "URL" ? Blog.Url(TSampleBlog::EntryPath(5)) : row.Arguments[index]);
    return arguments;
  }

  long CountWrites(const CrashCase& row) {
    const std::string folder = Fresh(std::string(row.Name) + " count");
    const std::string countFile = folder + "/writes";
    EXPECT_EQ(RunKillable(ArgumentsFor(row, folder + "/blog.proj"), Blog.Config, "TOCWERK_TEST_COUNT_WRITES",
                          countFile),
              QProcess::NormalExit);
    long writes = 0;
    std::ifstream(countFile) >> writes;
    return writes;
  }

  void KillAt(const CrashCase& row, long point) {
    SCOPED_TRACE("killed at write " + std::to_string(point));
    PrivateWorkFolder work;
    const std::string folder = Fresh(std::string(row.Name) + " " + std::to_string(point));
    const std::string project = folder + "/blog.proj";
    EXPECT_EQ(RunKillable(ArgumentsFor(row, project), Blog.Config, "TOCWERK_TEST_KILL_AT_WRITE",
                          std::to_string(point)),
              QProcess::CrashExit);

    EXPECT_EQ(IntegrityOf(project), "ok");
    for (const TWorkCopyInfo& orphan : ListOrphanedWorkCopies()) {
        EXPECT_EQ(IntegrityOf(orphan.WorkFile), "ok");
        TProjectDb db;
      TProject project;
      ASSERT_NO_THROW(project.Recover(orphan, db));
      EXPECT_EQ(Integrity(db.Query), "ok");
      EXPECT_GE(EntryCount(db), 20);
      EXPECT_EQ(project.GetCategoryCount(), static_cast<unsigned>(TSampleBlog::CategoryCount));
    }

    EXPECT_EQ(Blog.Cli({"comment", project, Blog.Url(TSampleBlog::EntryPath(3)), "後のコメント"}).Status, 0);
    EXPECT_EQ(FolderNames(folder), std::set<std::string>{"blog.proj"});
  }

  std::string Fresh(const std::string& name) {
    const std::string folder = Blog.Folder.File(name);
    fs::create_directories(folder);
    fs::copy_file(Base, folder + "/blog.proj");
    return folder;
  }

  ServedBlog Blog;
  std::string Base = Blog.Folder.File("base.proj");
};

TEST(CliCrashTest, AKillAtAnyWriteLosesNoCommittedWork) {
  CrashingCommands commands;
  const std::vector<CrashCase> rows{
      {"a crawl", {"crawl"}},
      {"a comment and its save", {"comment", "URL", "新しいコメント"}},
  };
  for (const CrashCase& row : rows)
    commands.Run(row);
}

}
