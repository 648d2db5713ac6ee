#include "CliRun.h"
#include "support/PrivateWorkFolder.h"

#include "store/Tproject.h"
#include "store/Tprojectdb.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <regex>

namespace fs = std::filesystem;

namespace {

long EntryCount(const ServedBlog& blog, const std::string& project) {
  return static_cast<long>(SplitLines(blog.Cli({"entries", project}).Out).size());
}

std::string StoredUrl(const std::string& project) {
  TProjectDb db;
  db.SetReadOnly(true);
  TProject loaded;
  loaded.Load(project, db);
  return loaded.GetEntryUrl();
}

TEST(CliSaveSafetyTest, ACrawlWhoseProjectWasReplacedSavesBesideIt) {
  const PrivateWorkFolder work;
  TSampleBlogOptions options;
  options.Entries = 20;
  const ServedBlog blog(options, {"--delay", "100"});
  const std::string project = blog.Folder.File("blog.proj");
  const std::string other = blog.Folder.File("other.proj");
  ASSERT_EQ(blog.Init(project).Status, 0);
  ASSERT_EQ(blog.Cli({"init", other, "--url", blog.Url("/other/")}).Status, 0);

  const auto crawl = StartCli({"crawl", project, "--entries"}, blog.Config);
  std::string out;
  while (out.find("OK: ") == std::string::npos && crawl->waitForReadyRead(10000))
    out += crawl->readAllStandardOutput().toStdString();
  fs::copy_file(other, project + ".new");
  fs::rename(project + ".new", project);
  const std::string replaced = ReadFile(project);
  ASSERT_TRUE(crawl->waitForFinished(60000));

  const std::string err = crawl->readAllStandardError().toStdString();
  EXPECT_EQ(crawl->exitCode(), 1) << err;
  std::smatch found;
  ASSERT_TRUE(std::regex_search(err, found, std::regex(R"((/\S*/blog\.recovered-\d{8}-\d{6}\.proj))"))) << err;
  EXPECT_EQ(EntryCount(blog, found[1]), 20) << "the crawl's work is in it";
  EXPECT_EQ(ReadFile(project), replaced);
  EXPECT_EQ(StoredUrl(project), blog.Url("/other/"));
}

// Each init reads the blog's top page from a slow server before it saves, so that
// all of them have found no file before the first one makes it.
TEST(CliSaveSafetyTest, OfConcurrentInitsOfANewFileExactlyOneWins) {
  const PrivateWorkFolder work;
  const ServedBlog blog(TSampleBlogOptions(), {"--delay", "500"});
  const std::string project = blog.Folder.File("new.proj");
  const auto url = [&](int i) { return blog.Url("/?init=" + std::to_string(i)); };
  std::vector<std::unique_ptr<QProcess>> inits;
  for (int i = 0; i < 8; ++i)
    inits.push_back(StartCli({"init", project, "--url", url(i), "--detect", "--category", "c=" + url(i)},
                             blog.Config));
  std::vector<std::string> winners;
  for (int i = 0; i < 8; ++i) {
    ASSERT_TRUE(inits[i]->waitForFinished(60000));
    const std::string err = inits[i]->readAllStandardError().toStdString();
    if (inits[i]->exitCode() == 0) {
      winners.push_back(url(i));
      continue;
    }
    EXPECT_EQ(inits[i]->exitCode(), 1);
    EXPECT_TRUE(err.find("使用中") != std::string::npos || err.find("既に存在します") != std::string::npos) << err;
  }
  ASSERT_EQ(winners.size(), 1u);
  EXPECT_EQ(StoredUrl(project), winners.front());
}

}
