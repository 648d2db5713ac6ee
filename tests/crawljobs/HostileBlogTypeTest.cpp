// Crawls with a blog type whose script does not compile, or never returns.
#include "TestBlog.h"

#include "crawl/Tcategorycrawl.h"
#include "crawl/Tentrycrawl.h"
#include "net/Tappconfig.h"
#include "script/Tscriptcontroller.h"
#include "store/Tkappfolder.h"
#include "store/Tproject.h"
#include "store/Tprojectdb.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <thread>

using namespace std::chrono_literals;

namespace {

using Lines = std::vector<std::string>;

class HostileBlogTypeTest : public ::testing::Test {
protected:
  HostileBlogTypeTest() {
    TAppConfig::GetInstance()->SetSleepTime(0);
    TAppConfig::GetInstance()->SetUseProxy(false);
    Db.New(GetDbFolder() + "blog.mdb");
    Blog.SetPage("/", "top recent:/e/1;");
    Blog.SetPage("/e/1", TestBlog::EntryPage("2024/05/01 10:00", "一つ目", ""));
    Blog.SetPage("/c/1", "category");
  }

  // Runs the crawl with the script in place of the test blog's own and, when
  // cancelAfter is given, cancels it from another thread after that time.
  Lines Run(TCrawlJob& crawl, const std::string& script, std::chrono::milliseconds cancelAfter = {}) {
    WriteFile(Blog.ScriptPath(), script);
    crawl.SetDb(&Db);
    crawl.SetBlogConfig(Blog.BlogType());
    crawl.SetListener(&Listener);
    std::thread canceller;
    if (cancelAfter.count() > 0)
      canceller = std::thread([&] {
        std::this_thread::sleep_for(cancelAfter);
        crawl.Cancel();
      });
    crawl.Run();
    if (canceller.joinable())
      canceller.join();
    return Listener.Lines;
  }

  TestBlog Blog;
  TProjectDb Db;
  RecordingListener Listener;
};

const std::string NotCompiling =
    "function GetRecentEntry(page) {\r\n"
    "  return '/e/1';\r\n"
    "}\r\n"
    "var broken = ;\r\n";

} // namespace

TEST_F(HostileBlogTypeTest, AScriptThatDoesNotCompileFailsAtLoadWithTheEnginesError) {
  TEntryCrawl entries;
  entries.SetStartUrl(Blog.Url("/"));
  const Lines entryLines = Run(entries, NotCompiling);
  ASSERT_GE(entryLines.size(), 2u);
  EXPECT_EQ(entryLines[0], "Error: " + Blog.Url("/"));
  EXPECT_EQ(entryLines[1].substr(0, 16), "4,14:SyntaxError") << entryLines[1];

  Listener.Lines.clear();
  TCategoryCrawl categories;
  categories.SetCategories({{"c", Blog.Url("/c/1")}});
  const Lines categoryLines = Run(categories, NotCompiling);
  ASSERT_FALSE(categoryLines.empty());
  EXPECT_EQ(categoryLines.back().substr(0, 16), "4,14:SyntaxError") << categoryLines.back();
}

// The time limit stays at its 30 s: only the cancel can end these calls soon.
TEST_F(HostileBlogTypeTest, CancelEndsACrawlWhoseScriptNeverReturns) {
  const char* const scripts[] = {
      "function GetRecentEntry(page) { while (true) {} }\n",
      "function GetRecentEntry(page) { return { toString: function () { while (true) {} } }; }\n",
      "function GetRecentEntry(page) { return page.replace(/<!--[\\s\\S]*?-->/g, ''); }\n",
  };
  std::string unclosedComments;
  while (unclosedComments.size() < 2 * 1000 * 1000)
    unclosedComments += "<!-- <p>unclosed</p>\n";
  Blog.SetPage("/", unclosedComments);
  for (const char* script : scripts) {
    Listener.Lines.clear();
    TEntryCrawl crawl;
    crawl.SetStartUrl(Blog.Url("/"));
    const Lines lines = Run(crawl, script, 300ms);
    ASSERT_FALSE(lines.empty()) << script;
    EXPECT_EQ(lines.front().rfind("Error", 0), std::string::npos) << lines.front();
    EXPECT_EQ(lines.back(), "終了しました。") << script;
  }
}

TEST_F(HostileBlogTypeTest, AScriptHostThatDiesEndsBothCrawlsNamingTheBlogType) {
  const std::string host = GetScriptHostProgram();
  SetScriptHostProgram("/bin/false");
  const std::string died = "スクリプトの実行プロセスが異常終了しました (ブログの種類「" + Blog.BlogType().GetName() +
                           "」: 終了コード 1)";
  TEntryCrawl entries;
  entries.SetStartUrl(Blog.Url("/"));
  const Lines entryLines = Run(entries, "function GetRecentEntry(page) { return '/e/1'; }\n");
  TCategoryCrawl categories;
  categories.SetCategories({{"c", Blog.Url("/c/1")}});
  Listener.Lines.clear();
  const Lines categoryLines = Run(categories, "function GetEntryUrl(page) { return ''; }\n");
  SetScriptHostProgram(host);
  for (const Lines& lines : {entryLines, categoryLines}) {
    ASSERT_FALSE(lines.empty());
    EXPECT_TRUE(std::any_of(lines.begin(), lines.end(),
                            [&](const std::string& line) { return line.find(died) != std::string::npos; }))
        << lines.back();
  }
}
