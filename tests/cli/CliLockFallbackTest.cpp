#include "CliRun.h"
#include "support/PrivateWorkFolder.h"
#include "support/ScopedEnv.h"

#include <gtest/gtest.h>

#include <filesystem>

#include <signal.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

const char* const LockSuffix = ".tocwerk-lock";

std::string AsanOptions() {
  const char* old = std::getenv("ASAN_OPTIONS");
  return std::string(old ? old : "") + ":verify_asan_link_order=0";
}

std::string HostName() {
  char name[256] = {};
  gethostname(name, sizeof name - 1);
  return name;
}

// The id of a process that has ended.
long DeadPid() {
  QProcess process;
  process.start(QStringLiteral("sleep"), {QStringLiteral("0.1")});
  process.waitForStarted(10000);
  const long pid = static_cast<long>(process.processId());
  process.waitForFinished(10000);
  return pid;
}

std::vector<std::string> LockFilesUnder(const std::string& folder) {
  std::vector<std::string> found;
  for (const auto& item : fs::recursive_directory_iterator(folder))
    if (item.path().filename().string().ends_with(LockSuffix))
      found.push_back(item.path().string());
  return found;
}

// Every tocwerk-cli started while it lives runs without flock: everywhere, or only
// for files under a folder.
class WithoutFlock {
public:
  explicit WithoutFlock(const std::string& under)
      : Preload("LD_PRELOAD", NO_FLOCK_LIBRARY), Asan("ASAN_OPTIONS", AsanOptions()),
        Under("TOCWERK_NO_FLOCK_UNDER", under) {}

private:
  ScopedEnv Preload;
  ScopedEnv Asan;
  ScopedEnv Under;
};

class CliLockFallbackTest : public ::testing::Test {
protected:
  CliLockFallbackTest() : Blog(Options(), {"--delay", "100"}), Project(Blog.Folder.File("blog.proj")) {}

  static TSampleBlogOptions Options() {
    TSampleBlogOptions options;
    options.Entries = 30;
    return options;
  }

  std::unique_ptr<QProcess> StartSlowCrawl() const {
    auto crawl = StartCli({"crawl", Project, "--entries"}, Blog.Config);
    std::string out;
    while (out.find("OK: ") == out.rfind("OK: ") && crawl->waitForReadyRead(10000))
      out += crawl->readAllStandardOutput().toStdString();
    EXPECT_NE(out.find("OK: "), out.rfind("OK: ")) << out;
    return crawl;
  }

  PrivateWorkFolder Work;
  ServedBlog Blog;
  std::string Project;
};

TEST_F(CliLockFallbackTest, CommandsWorkAndExcludeEachOtherWithoutFlock) {
  const std::string inUse = Project + " は別の Tocwerk が使用中です。";
  for (const std::string& under : {std::string(), Blog.Folder.Path()}) {
    SCOPED_TRACE(under.empty() ? "no flock anywhere" : "no flock in the project's folder");
    fs::remove(Project);
    const WithoutFlock noFlock(under);
    const CliResult init = Blog.Init(Project);
    ASSERT_EQ(init.Status, 0) << init.Err;

    const auto crawl = StartSlowCrawl();
    const CliResult comment = Blog.Cli({"comment", Project, Blog.Url(TSampleBlog::EntryPath(30)), "途中"});
    EXPECT_EQ(comment.Status, 1);
    EXPECT_NE(comment.Err.find(inUse), std::string::npos) << comment.Err;
    kill(static_cast<pid_t>(crawl->processId()), SIGINT);
    ASSERT_TRUE(crawl->waitForFinished(10000));
    EXPECT_EQ(crawl->exitCode(), 130) << crawl->readAllStandardError().toStdString();

    const CliResult after = Blog.Cli({"comment", Project, Blog.Url(TSampleBlog::EntryPath(30)), "後から"});
    EXPECT_EQ(after.Status, 0) << after.Err << " (the crawl saved what it read)";
    EXPECT_TRUE(LockFilesUnder(Blog.Folder.Path()).empty());
    EXPECT_TRUE(Work.Files().empty());
  }
}

TEST_F(CliLockFallbackTest, ALockFileIsTakenOverOnlyFromAProcessThatIsGone) {
  ASSERT_EQ(Blog.Init(Project).Status, 0);
  const WithoutFlock noFlock(Blog.Folder.Path());
  const std::string lockFile = Project + LockSuffix;
  const std::string url = Blog.Url(TSampleBlog::EntryPath(1));
  ASSERT_EQ(Blog.Cli({"crawl", Project, "--entries"}).Status, 0);

  WriteFile(lockFile, HostName() + "\n" + std::to_string(DeadPid()) + "\n");
  const CliResult stale = Blog.Cli({"comment", Project, url, "古いロック"});
  EXPECT_EQ(stale.Status, 0) << stale.Err;
  EXPECT_FALSE(fs::exists(lockFile));

  WriteFile(lockFile, "elsewhere.example\n1\n");
  const CliResult foreign = Blog.Cli({"comment", Project, url, "x"});
  EXPECT_EQ(foreign.Status, 1);
  EXPECT_NE(foreign.Err.find(Project + " は別の Tocwerk が使用中です。"), std::string::npos) << foreign.Err;
  EXPECT_NE(foreign.Err.find("elsewhere.example"), std::string::npos) << foreign.Err;
  EXPECT_TRUE(fs::exists(lockFile)) << "another host's lock stays";
}

// A lock file whose name is too long for the folder stands for a folder where
// none can be made.
TEST_F(CliLockFallbackTest, NoLockAtAllIsToldWithTheFolder) {
  const std::string longName = Blog.Folder.File(std::string(240, 'a') + ".proj");
  ASSERT_EQ(Blog.Init(longName).Status, 0);
  const WithoutFlock noFlock(Blog.Folder.Path());
  const CliResult comment = Blog.Cli({"comment", longName, Blog.Url("/"), "x"});
  EXPECT_EQ(comment.Status, 1);
  EXPECT_NE(comment.Err.find("ロックできません"), std::string::npos) << comment.Err;
  const std::string folder = Blog.Folder.Path().substr(0, Blog.Folder.Path().size() - 1);
  EXPECT_NE(comment.Err.find(folder), std::string::npos) << comment.Err;
  EXPECT_EQ(comment.Err.find("一時ファイルの作成に失敗しました。"), std::string::npos);
}

}
