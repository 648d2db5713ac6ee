#include "CliRun.h"

#include "store/Tkdatetime.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include <signal.h>

namespace {

QJsonArray Entries(const ServedBlog& blog, const std::string& project) {
  const CliResult result = blog.Cli({"entries", project, "--json"});
  EXPECT_EQ(result.Status, 0) << result.Err;
  return QJsonDocument::fromJson(QByteArray::fromStdString(result.Out)).array();
}

size_t CountLinesStartingWith(const std::string& text, const std::string& prefix) {
  size_t count = 0;
  for (const std::string& line : SplitLines(text))
    count += line.rfind(prefix, 0) == 0;
  return count;
}

// What the crawl stored for every entry matches what the blog says of it.
void ExpectTheWholeBlog(const ServedBlog& blog, const QJsonArray& entries) {
  const TSampleBlog sample(blog.Options);
  ASSERT_EQ(entries.size(), blog.Options.Entries);
  for (int i = 0; i < entries.size(); ++i) {
    const QJsonObject entry = entries[i].toObject();
    const int number = blog.Options.Entries - i;
    EXPECT_EQ(entry[QLatin1String("id")].toInt(), i + 1);
    EXPECT_EQ(entry[QLatin1String("url")].toString().toStdString(), blog.Url(TSampleBlog::EntryPath(number)));
    EXPECT_EQ(entry[QLatin1String("title")].toString().toStdString(), sample.EntryTitle(number)) << number;
    const TSampleDateTime when = TSampleBlog::EntryDateTime(number);
    EXPECT_EQ(entry[QLatin1String("datetime")].toString().toStdString(),
              FormatDateTime(*DayNumber(when.Year, when.Month, when.Day, when.Hour, when.Minute, when.Second)))
        << number;
    std::vector<int> expected;
    for (const int category : TSampleBlog::EntryCategories(number))
      expected.push_back(category + 1);
    if (expected.empty())
      expected.push_back(0);
    std::sort(expected.begin(), expected.end());
    std::vector<int> stored;
    for (const QJsonValue id : entry[QLatin1String("category_ids")].toArray())
      stored.push_back(id.toInt());
    EXPECT_EQ(stored, expected) << number;
  }
}

TEST(CliCrawlTest, TheWholeSampleBlogInEachCharset) {
  for (const TSampleCharset charset : {TSampleCharset::Utf8, TSampleCharset::ShiftJis, TSampleCharset::EucJp}) {
    SCOPED_TRACE(SampleCharsetName(charset));
    TSampleBlogOptions options;
    options.Charset = charset;
    ServedBlog blog(options);
    const std::string project = blog.Folder.File("blog.proj");
    ASSERT_EQ(blog.Init(project).Status, 0);
    const CliResult crawl = blog.Cli({"crawl", project});
    EXPECT_EQ(crawl.Status, 0) << crawl.Out << crawl.Err;
    EXPECT_EQ(CountLinesStartingWith(crawl.Out, "終了しました。"), 2u);
    EXPECT_EQ(CountLinesStartingWith(crawl.Out, "Error"), 0u) << crawl.Out;
    ExpectTheWholeBlog(blog, Entries(blog, project));
  }
}

TEST(CliCrawlTest, NewEntriesOnlyKeepsCommentsAndMemberships) {
  TSampleBlogOptions options;
  options.Entries = 20;
  ServedBlog blog(options);
  const std::string project = blog.Folder.File("blog.proj");
  ASSERT_EQ(blog.Init(project).Status, 0);
  ASSERT_EQ(blog.Cli({"crawl", project}).Status, 0);
  const std::string oldest = blog.Url(TSampleBlog::EntryPath(1));
  ASSERT_EQ(blog.Cli({"comment", project, oldest, "最初の記事"}).Status, 0);

  blog.Grow(25);
  const CliResult crawl = blog.Cli({"crawl", project, "--entries", "--new-only"});
  EXPECT_EQ(crawl.Status, 0) << crawl.Out << crawl.Err;
  EXPECT_EQ(CountLinesStartingWith(crawl.Out, "OK: "), 6u) << "the newest URL and five new entries";
  const QJsonArray entries = Entries(blog, project);
  ASSERT_EQ(entries.size(), 25);
  EXPECT_EQ(entries[0].toObject()[QLatin1String("url")].toString().toStdString(), blog.Url(TSampleBlog::EntryPath(25)));
  EXPECT_EQ(entries[24].toObject()[QLatin1String("url")].toString().toStdString(), oldest);
  EXPECT_EQ(entries[24].toObject()[QLatin1String("comment")].toString().toStdString(), "最初の記事");
  int withCategory = 0;
  for (int i = 5; i < 25; ++i)
    withCategory += entries[i].toObject()[QLatin1String("category_ids")].toArray()[0].toInt() != 0;
  EXPECT_GT(withCategory, 0) << "memberships stored by the first crawl still join";
}

TEST(CliCrawlTest, TheCookieOfTheTopPageIsSentBack) {
  TSampleBlogOptions options;
  options.Entries = 5;
  ServedBlog blog(options, {"--require-cookie"});
  const std::string project = blog.Folder.File("blog.proj");
  ASSERT_EQ(blog.Init(project).Status, 0);
  const CliResult crawl = blog.Cli({"crawl", project, "--entries"});
  EXPECT_EQ(crawl.Status, 0) << crawl.Out;
  EXPECT_EQ(Entries(blog, project).size(), 5);
}

TEST(CliCrawlTest, AServerThatGoesAwayFailsTheCrawlButSavesWhatWasRead) {
  TSampleBlogOptions options;
  options.Entries = 5;
  ServedBlog blog(options);
  const std::string project = blog.Folder.File("blog.proj");
  ASSERT_EQ(blog.Init(project).Status, 0);
  ASSERT_EQ(blog.Cli({"crawl", project}).Status, 0);
  blog.Server->Signal(SIGTERM, 5000);
  const CliResult crawl = blog.Cli({"crawl", project, "--categories"});
  EXPECT_EQ(crawl.Status, 1);
  EXPECT_EQ(SplitLines(crawl.Out).at(0), "Error: " + blog.Url(TSampleBlog::CategoryPath(0)));
  EXPECT_EQ(Entries(blog, project).size(), 5) << "the entries stay";
}

TEST(CliCrawlTest, CtrlCCancelsAndSaves) {
  TSampleBlogOptions options;
  options.Entries = 40;
  ServedBlog blog(options, {"--delay", "100"});
  const std::string project = blog.Folder.File("blog.proj");
  ASSERT_EQ(blog.Init(project).Status, 0);
  const auto process = StartCli({"crawl", project}, blog.Config);
  std::string out;
  while (CountLinesStartingWith(out, "OK: ") < 4 && process->waitForReadyRead(10000))
    out += process->readAllStandardOutput().toStdString();
  ASSERT_GE(CountLinesStartingWith(out, "OK: "), 4u) << out;
  kill(static_cast<pid_t>(process->processId()), SIGINT);
  ASSERT_TRUE(process->waitForFinished(10000));
  out += process->readAllStandardOutput().toStdString();
  EXPECT_EQ(process->exitCode(), 130) << out;
  EXPECT_EQ(SplitLines(out).back(), "終了しました。");
  EXPECT_EQ(CountLinesStartingWith(out, "終了しました。"), 1u) << "the category crawl does not start";
  const QJsonArray entries = Entries(blog, project);
  EXPECT_GE(entries.size(), 3);
  EXPECT_LT(entries.size(), 40);
}


// From the address alone: detect names the bundled blog type and the blog's
// categories, init --detect sets them, and the crawl reads the whole blog.
TEST(CliCrawlTest, DetectSetsUpAProjectFromTheAddressAlone) {
  TSampleBlogOptions options;
  options.Entries = 12;
  ServedBlog blog(options);
  const CliResult detect = blog.Cli({"detect", blog.Url("/"), "--categories"});
  ASSERT_EQ(detect.Status, 0) << detect.Err;
  const std::vector<std::string> lines = SplitLines(detect.Out);
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.front().substr(0, lines.front().find('\t')), "汎用 (HTML5)");
  std::vector<std::string> categories(std::find(lines.begin(), lines.end(), "") + 1, lines.end());
  std::vector<std::string> expected;
  for (int c = 0; c < TSampleBlog::CategoryCount; ++c)
    expected.push_back(TSampleBlog::CategoryName(c) + "\t" + blog.Url(TSampleBlog::CategoryPath(c)));
  EXPECT_EQ(categories, expected);

  const std::string project = blog.Folder.File("blog.proj");
  const CliResult init = blog.Cli({"init", project, "--url", blog.Url("/"), "--detect"});
  ASSERT_EQ(init.Status, 0) << init.Err;
  const CliResult crawl = blog.Cli({"crawl", project});
  EXPECT_EQ(crawl.Status, 0) << crawl.Out << crawl.Err;
  ExpectTheWholeBlog(blog, Entries(blog, project));

  const CliResult missing = blog.Cli({"detect", blog.Url("/no/such/page/")});
  EXPECT_EQ(missing.Status, 1);
  EXPECT_EQ(missing.Err, "tocwerk-cli: 404 ページが見つかりません (HTTP/1.1 404 Not Found)\n");
}

}
