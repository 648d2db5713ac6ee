#include "CliRun.h"
#include "support/PrivateWorkFolder.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <vector>

#include <signal.h>

namespace {

size_t CountOkLines(const std::string& text) {
  size_t count = 0;
  for (const std::string& line : SplitLines(text))
    count += line.rfind("OK: ", 0) == 0;
  return count;
}

// A crawl of a slow sample blog, started and left running until it has read a few pages.
std::unique_ptr<QProcess> StartSlowCrawl(const ServedBlog& blog, const std::string& project) {
  auto crawl = StartCli({"crawl", project, "--entries"}, blog.Config);
  std::string out;
  while (CountOkLines(out) < 2 && crawl->waitForReadyRead(10000))
    out += crawl->readAllStandardOutput().toStdString();
  EXPECT_GE(CountOkLines(out), 2u) << out;
  return crawl;
}

// A slow sample blog and its project; working copies in a folder of the test's own,
// which the programs it starts inherit.
class CliProjectSafetyTest : public ::testing::Test {
protected:
  CliProjectSafetyTest() : Blog(Options(), {"--delay", "100"}), Project(Blog.Folder.File("blog.proj")) {
    EXPECT_EQ(Blog.Init(Project).Status, 0);
  }

  static TSampleBlogOptions Options() {
    TSampleBlogOptions options;
    options.Entries = 30;
    return options;
  }

  PrivateWorkFolder Work;
  ServedBlog Blog;
  std::string Project;
};

TEST_F(CliProjectSafetyTest, OneCommandWritesAProjectAtATime) {
  ServedBlog& blog = Blog;
  const std::string& project = Project;
  const auto crawl = StartSlowCrawl(blog, project);
  const std::string inUse = project + " は別の Tocwerk が使用中です。";
  for (const std::vector<std::string>& writer : {std::vector<std::string>{"comment", project, "x", "y"},
                                                 {"init", project, "--url", blog.Url("/other/")},
                                                 {"crawl", project, "--categories"}}) {
    const CliResult refused = blog.Cli(writer);
    EXPECT_EQ(refused.Status, 1) << writer[0];
    EXPECT_NE(refused.Err.find(inUse), std::string::npos) << refused.Err;
  }
  EXPECT_EQ(blog.Cli({"entries", project}).Status, 0) << "reading needs no lock";

  kill(static_cast<pid_t>(crawl->processId()), SIGINT);
  ASSERT_TRUE(crawl->waitForFinished(10000));
  const std::string newest = blog.Url(TSampleBlog::EntryPath(Options().Entries));
  EXPECT_EQ(blog.Cli({"comment", project, newest, "後から"}).Status, 0) << "the lock ends with the command";
  EXPECT_NE(blog.Cli({"entries", project}).Out.find("後から"), std::string::npos);
}

TEST_F(CliProjectSafetyTest, WorkingCopiesAreDeletedOnEveryExitAndACrashIsMentioned) {
  ServedBlog& blog = Blog;
  const std::string& project = Project;
  const struct {
    std::vector<std::string> arguments;
    int status;
  } runs[] = {
      {{"entries", project}, 0},
      {{"comment", project, "https://nowhere.example/", "x"}, 1},
      {{"comment", project}, 2},
      {{"make", project, blog.Folder.File("toc.html"), "--wait"}, 0},
      {{"init", blog.Folder.File("new.proj")}, 0},
  };
  for (const auto& run : runs) {
    EXPECT_EQ(blog.Cli(run.arguments).Status, run.status) << run.arguments[0];
    EXPECT_TRUE(Work.Files().empty()) << run.arguments[0];
  }
  auto interrupted = StartSlowCrawl(blog, project);
  kill(static_cast<pid_t>(interrupted->processId()), SIGINT);
  ASSERT_TRUE(interrupted->waitForFinished(10000));
  EXPECT_TRUE(Work.Files().empty()) << "after a cancel";

  auto crashed = StartSlowCrawl(blog, project);
  kill(static_cast<pid_t>(crashed->processId()), SIGKILL);
  ASSERT_TRUE(crashed->waitForFinished(10000));
  // Its write-ahead log, if it got that far, is part of the work.
  const auto crashFiles = [&] {
    const auto names = Work.Files();
    return std::count_if(names.begin(), names.end(),
                         [](const std::string& name) { return !name.ends_with("-wal"); });
  };
  EXPECT_EQ(crashFiles(), 2) << "a crash leaves its work and the side file naming the project";
  const CliResult next = blog.Cli({"entries", project});
  EXPECT_EQ(next.Status, 0);
  EXPECT_NE(next.Err.find("前回異常終了したときの作業内容があります"), std::string::npos) << next.Err;
  EXPECT_EQ(crashFiles(), 2) << "nothing deletes it silently";
}

}
