#include "CliRun.h"
#include "support/PrivateWorkFolder.h"

#include "store/Tdbconnection.h"
#include "store/Tdbquery.h"
#include "store/Tkappfolder.h"
#include "store/Tkworkcopy.h"
#include "store/Tproject.h"
#include "store/Tprojectdb.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <thread>

#include <signal.h>

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

namespace {

// The child of parent whose command line names program, 0 when there is none yet.
pid_t ChildRunning(pid_t parent, const std::string& program) {
  for (const auto& entry : fs::directory_iterator("/proc")) {
    std::ifstream stat(entry.path() / "stat");
    std::string line;
    std::getline(stat, line);
    const auto close = line.rfind(')');
    if (close == std::string::npos)
      continue;
    std::istringstream fields(line.substr(close + 2));
    char state = 0;
    pid_t ppid = 0;
    fields >> state >> ppid;
    std::ifstream cmdline(entry.path() / "cmdline");
    std::string command;
    std::getline(cmdline, command, '\0');
    if (ppid == parent && command.find(program) != std::string::npos)
      return std::stoi(entry.path().filename().string());
  }
  return 0;
}

// Gone, or a zombie that nobody reaps.
bool Ended(pid_t pid) {
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string line;
  std::getline(stat, line);
  return line.empty() || line.substr(line.rfind(')') + 2, 1) == "Z";
}

} // namespace

TEST(CliCrashTest, AKilledCrawlTakesItsLoopingScriptHostAlong) {
  ServedBlog blog(TSampleBlogOptions{});
  const std::string data = blog.Folder.File("data");
  for (const char* folder : {"/blog", "/template", "/db"})
    fs::create_directories(data + folder);
  fs::copy_file(GetDbFolder() + "blog.mdb", data + "/db/blog.mdb");
  WriteFile(data + "/blog/loop.ini", "[CONFIG]\nname=Loop\n[SCRIPT]\nfile=loop.js\nlanguage=JavaScript\n");
  WriteFile(data + "/blog/loop.js", "function GetRecentEntry(page) { while (true) {} }\n");
  const std::string project = blog.Folder.File("loop.proj");
  const CliResult init = blog.Cli({"--data-dir", data, "init", project, "--blog-type", "Loop", "--url", blog.Url("/")});
  ASSERT_EQ(init.Status, 0) << init.Err;

  const auto cli = StartCli({"--data-dir", data, "crawl", project, "--entries"}, blog.Config);
  const auto cliPid = static_cast<pid_t>(cli->processId());
  pid_t host = 0;
  for (int i = 0; i < 400 && host == 0; ++i, std::this_thread::sleep_for(std::chrono::milliseconds(50)))
    host = ChildRunning(cliPid, "tocwerk-script-host");
  ASSERT_NE(host, 0) << "no script host started";
  kill(cliPid, SIGKILL);
  cli->waitForFinished(10000);
  const auto killed = std::chrono::steady_clock::now();
  while (!Ended(host) && std::chrono::steady_clock::now() - killed < std::chrono::seconds(10))
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_TRUE(Ended(host)) << "the script host outlived the killed tocwerk-cli";
  if (!Ended(host))
    kill(host, SIGKILL);
}
