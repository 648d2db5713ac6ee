#include "CliRun.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <thread>

#include <signal.h>
#include <unistd.h>

namespace {

const std::string Finished = "終了しました。";
// As a shell reports a program ended by SIGINT, or by writing to a pipe nobody reads.
constexpr int ExitCanceled = 130;
constexpr int ExitOutputGone = 141;

struct Delivery {
  int Signal;
  // To the process, then to its whole process group, as timeout does.
  bool AlsoToGroup = false;
};

struct SignalCase {
  const char* Name;
  std::vector<std::string> CrawlFlags;
  // The signals go after this many "OK: " lines of the entry crawl; 0 waits for the
  // first page of the category crawl.
  int AfterEntryLines;
  std::vector<Delivery> Signals;
  // Sent once the crawl logs its end, so that it lands while the project is saved
  // or just before.
  int SignalAtTheEnd = 0;
};

// Every entry by URL as `entries --json` gives it, without the id, which a crawl
// may change.
std::map<std::string, std::string> EntriesByUrl(const ServedBlog& blog, const std::string& project) {
  const CliResult result = blog.Cli({"entries", project, "--json"});
  EXPECT_EQ(result.Status, 0) << result.Err;
  std::map<std::string, std::string> entries;
  for (const QJsonValue value : QJsonDocument::fromJson(QByteArray::fromStdString(result.Out)).array()) {
    QJsonObject entry = value.toObject();
    entry.remove(QLatin1String("id"));
    entries[entry[QLatin1String("url")].toString().toStdString()] =
        QJsonDocument(entry).toJson(QJsonDocument::Compact).toStdString();
  }
  return entries;
}

std::vector<std::string> CompleteLines(const std::string& output) {
  return SplitLines(output.substr(0, output.rfind('\n') + 1));
}

bool Reached(const std::string& output, int afterEntryLines) {
  int entryLines = 0;
  for (const std::string& line : CompleteLines(output)) {
    if (line.rfind("OK: ", 0) != 0)
      continue;
    if (line.find("/category/") != std::string::npos)
      return true;
    if (++entryLines == afterEntryLines)
      return true;
  }
  return false;
}

// Whether the process has a handler of its own for the signal, as /proc tells.
bool Catches(pid_t pid, int signal) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  for (std::string line; std::getline(status, line);)
    if (line.rfind("SigCgt:", 0) == 0)
      return (std::stoull(line.substr(7), nullptr, 16) >> (signal - 1)) & 1;
  return false;
}

bool LogsItsEnd(const std::string& output) {
  const auto lines = CompleteLines(output);
  return std::find(lines.begin(), lines.end(), Finished) != lines.end();
}

// A project that knows the first 20 entries of the sample blog, every membership
// and three comments, and a blog that has grown by ten entries since.
class InterruptedCrawls {
public:
  InterruptedCrawls() : Blog(Options(), {"--delay", "60"}) {
    EXPECT_EQ(Blog.Init(Project).Status, 0);
    EXPECT_EQ(Blog.Cli({"crawl", Project}).Status, 0);
    for (const int number : {1, 15, 20})
      EXPECT_EQ(Blog.Cli({"comment", Project, Blog.Url(TSampleBlog::EntryPath(number)), "コメント " +
                                                                                             std::to_string(number)})
                    .Status,
                0);
    Before = EntriesByUrl(Blog, Project);
    EXPECT_EQ(Before.size(), 20u);
    Blog.Grow(30);
  }

  void Run(const SignalCase& row) {
    SCOPED_TRACE(row.Name);
    const std::string project = Blog.Folder.File(std::string(row.Name) + ".proj");
    std::filesystem::copy_file(Project, project);
    std::vector<std::string> arguments{"crawl", project};
    arguments.insert(arguments.end(), row.CrawlFlags.begin(), row.CrawlFlags.end());
    const bool toGroup = std::any_of(row.Signals.begin(), row.Signals.end(),
                                     [](const Delivery& delivery) { return delivery.AlsoToGroup; });
    const auto process = StartCli(arguments, Blog.Config, [toGroup](QProcess& child) {
      if (toGroup)
        child.setChildProcessModifier([] { setpgid(0, 0); });
    });
    const pid_t pid = static_cast<pid_t>(process->processId());

    std::string out;
    while (!Reached(out, row.AfterEntryLines) && process->waitForReadyRead(20000))
      out += process->readAllStandardOutput().toStdString();
    ASSERT_TRUE(Reached(out, row.AfterEntryLines)) << out;
    for (const Delivery& delivery : row.Signals) {
      kill(pid, delivery.Signal);
      if (delivery.AlsoToGroup)
        kill(-pid, delivery.Signal);
    }
    if (row.SignalAtTheEnd != 0) {
      while (!LogsItsEnd(out) && process->waitForReadyRead(20000))
        out += process->readAllStandardOutput().toStdString();
      if (process->state() == QProcess::Running)
        kill(pid, row.SignalAtTheEnd);
    }
    ASSERT_TRUE(process->waitForFinished(30000));
    out += process->readAllStandardOutput().toStdString();

    EXPECT_EQ(process->exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process->exitCode(), ExitCanceled) << out << process->readAllStandardError().toStdString();
    const auto lines = SplitLines(out);
    EXPECT_EQ(lines.back(), Finished) << "the crawl ends as after Cancel";
    EXPECT_EQ(std::count(lines.begin(), lines.end(), Finished), row.AfterEntryLines > 0 ? 1 : 2)
        << "a crawl cancelled during the entries does not read the categories";
    ExpectNothingLost(project, lines);
  }

private:
  static TSampleBlogOptions Options() {
    TSampleBlogOptions options;
    options.Entries = 20;
    return options;
  }

  // Every entry stored before is there as it was, comment and categories included,
  // and every entry the log says was read has been saved.
  void ExpectNothingLost(const std::string& project, const std::vector<std::string>& lines) {
    const auto after = EntriesByUrl(Blog, project);
    for (const auto& [url, entry] : Before) {
      const auto found = after.find(url);
      ASSERT_NE(found, after.end()) << url;
      EXPECT_EQ(found->second, entry);
    }
    for (const std::string& line : lines) {
      const bool entryRead = line.rfind("OK: ", 0) == 0 && line.find("/entry/") != std::string::npos &&
                             line.find("最新エントリーのURLを取得しました。") == std::string::npos;
      if (entryRead) {
        EXPECT_EQ(after.count(line.substr(4, line.find(' ', 4) - 4)), 1u) << line;
      }
    }
  }

  ServedBlog Blog;
  std::string Project = Blog.Folder.File("blog.proj");
  std::map<std::string, std::string> Before;
};

// The new-entries-only crawl keeps the stored entries whatever happens, and a
// signal during it stops the crawl before the categories.
TEST(CliSignalTest, SignalsDuringANewEntriesOnlyCrawlLoseNothing) {
  InterruptedCrawls crawls;
  const std::vector<SignalCase> rows{
      {"SIGINT", {"--new-only"}, 3, {{SIGINT}}},
      {"SIGTERM after the top page", {"--new-only"}, 1, {{SIGTERM}}},
      {"two SIGINTs", {"--new-only"}, 2, {{SIGINT}, {SIGINT}}},
      {"SIGTERM to the process and its group", {"--new-only"}, 4, {{SIGTERM, true}}},
      {"SIGHUP", {"--new-only"}, 2, {{SIGHUP}}},
      {"SIGINT, then SIGTERM at the end", {"--new-only"}, 2, {{SIGINT}}, SIGTERM},
  };
  for (const SignalCase& row : rows)
    crawls.Run(row);
}

// The normal crawl and the category crawl keep what they did not reach.
TEST(CliSignalTest, SignalsDuringAFullCrawlLoseNothing) {
  InterruptedCrawls crawls;
  const std::vector<SignalCase> rows{
      {"SIGINT", {}, 3, {{SIGINT}}},
      {"SIGTERM after the top page", {}, 1, {{SIGTERM}}},
      {"SIGINT then SIGTERM", {}, 5, {{SIGINT}, {SIGTERM}}},
      {"SIGHUP, then SIGINT at the end", {}, 2, {{SIGHUP}}, SIGINT},
      {"SIGTERM to the process and its group during the categories", {}, 0, {{SIGTERM, true}}},
      {"SIGHUP during the categories", {}, 0, {{SIGHUP}}},
      {"two SIGINTs during the categories after new entries", {"--new-only"}, 0, {{SIGINT}, {SIGINT}}},
  };
  for (const SignalCase& row : rows)
    crawls.Run(row);
}

// `crawl | head -2`: the reader goes away after two lines.
TEST(CliSignalTest, AReaderThatGoesAwayCancelsQuietlyAndSaves) {
  TSampleBlogOptions options;
  options.Entries = 30;
  ServedBlog blog(options, {"--delay", "60"});
  const std::string project = blog.Folder.File("blog.proj");
  ASSERT_EQ(blog.Init(project).Status, 0);

  QProcess head;
  head.setStandardOutputFile(QProcess::nullDevice());
  const auto crawl = StartCli({"crawl", project}, blog.Config, [&head](QProcess& child) {
    child.setStandardOutputProcess(&head);
    head.start(QStringLiteral("head"), {QStringLiteral("-n"), QStringLiteral("2")});
  });
  ASSERT_TRUE(crawl->waitForFinished(60000));
  ASSERT_TRUE(head.waitForFinished(10000));
  EXPECT_EQ(crawl->exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(crawl->exitCode(), ExitOutputGone);
  EXPECT_EQ(crawl->readAllStandardError().toStdString(), "");

  const CliResult entries = blog.Cli({"entries", project});
  const size_t saved = SplitLines(entries.Out).size();
  EXPECT_GE(saved, 1u) << "the entry of the second line was stored before it was logged";
  EXPECT_LT(saved, 30u) << "the crawl stopped";
}

// A blog that takes half a minute to answer: a signal ends the detection and a
// blog type's trial at once, and init writes no project.
TEST(CliSignalTest, ASignalEndsADetectionThatWaitsForTheBlog) {
  TSampleBlogOptions options;
  options.Entries = 3;
  ServedBlog blog(options, {"--delay", "30000"});
  const std::string project = blog.Folder.File("new.proj");
  const struct {
    const char* name;
    std::vector<std::string> arguments;
    int signal;
  } cases[] = {
      {"detect, SIGINT", {"detect", blog.Url("/"), "--categories"}, SIGINT},
      {"init --detect, SIGTERM", {"init", project, "--url", blog.Url("/"), "--detect"}, SIGTERM},
      {"try, SIGHUP", {"try", "汎用 (HTML5)", blog.Url("/")}, SIGHUP},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const auto cli = StartCli(c.arguments, blog.Config);
    const pid_t pid = static_cast<pid_t>(cli->processId());
    for (int i = 0; i < 2000 && !Catches(pid, c.signal); ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    kill(pid, c.signal);
    ASSERT_TRUE(cli->waitForFinished(10000));
    EXPECT_EQ(cli->exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(cli->exitCode(), ExitCanceled) << cli->readAllStandardError().toStdString();
    EXPECT_FALSE(std::filesystem::exists(project));
  }
}

}
