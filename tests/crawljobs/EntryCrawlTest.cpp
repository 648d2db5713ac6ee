#include "TestBlog.h"

#include "crawl/Tappconfig.h"
#include "crawl/Tentrycrawl.h"
#include "crawl/Tkdatetext.h"
#include "store/Tkdatetime.h"
#include "store/Tcategoryentry.h"
#include "store/Tcomment.h"
#include "store/Tentry.h"
#include "store/Tkappfolder.h"
#include "store/Tprojectdb.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>

namespace {

using Lines = std::vector<std::string>;

// Three entries, newest first: /e/3 → /e/2 → /e/1.
class EntryCrawlTest : public ::testing::Test {
protected:
  EntryCrawlTest() {
    TAppConfig::GetInstance()->SetSleepTime(0);
    TAppConfig::GetInstance()->SetUseProxy(false);
    Reset();
  }

  // A blank project and the three-entry blog.
  void Reset() {
    Db.New(GetDbFolder() + "blog.mdb");
    Blog.SetPage("/", "top recent:/e/3;");
    Blog.SetPage("/e/3", TestBlog::EntryPage("2024/05/03 10:00", " 三つ目 \t", "/e/2"));
    Blog.SetPage("/e/2", TestBlog::EntryPage("2024-05-02T09:30:00+09:00", "二つ目", "1"));
    Blog.SetPage("/e/1", TestBlog::EntryPage("2024年5月1日", "一つ目", ""));
  }

  // cancelAfter, when given, cancels the crawl from another thread after that time.
  bool Crawl(bool newEntryOnly = false, std::chrono::milliseconds cancelAfter = {}) {
    TEntryCrawl crawl;
    crawl.SetStartUrl(Blog.Url("/"));
    crawl.SetDb(&Db);
    crawl.SetNewEntryOnly(newEntryOnly);
    crawl.SetBlogConfig(Blog.BlogType());
    crawl.SetListener(&Listener);
    crawl.SetHttpTimeLimits(std::chrono::seconds(5), std::chrono::seconds(5));
    Listener.Job = &crawl;
    Listener.Lines.clear();
    std::thread canceller;
    if (cancelAfter.count() > 0)
      canceller = std::thread([&] {
        std::this_thread::sleep_for(cancelAfter);
        crawl.Cancel();
      });
    const bool ok = crawl.Run();
    if (canceller.joinable())
      canceller.join();
    Listener.Job = nullptr;
    return ok;
  }

  Lines Urls() {
    Lines urls;
    for (const TEntry& entry : LoadEntries(Db))
      urls.push_back(std::to_string(entry.GetId()) + " " + entry.GetUrl());
    return urls;
  }

  TestBlog Blog;
  TProjectDb Db;
  RecordingListener Listener;
};

TEST_F(EntryCrawlTest, AFullCrawlStoresEveryEntryNewestFirst) {
  Blog.SetPage("/e/2", TestBlog::EntryPage("2024-05-02T09:30:00+09:00", "二つ目", "1"));
  EXPECT_TRUE(Crawl());
  EXPECT_EQ(Listener.Lines, (Lines{"OK: " + Blog.Url("/e/3") + " 最新エントリーのURLを取得しました。",
                                   "OK: " + Blog.Url("/e/3") + " 三つ目",
                                   "OK: " + Blog.Url("/e/2") + " 二つ目",
                                   "OK: " + Blog.Url("/e/1") + " 一つ目", "終了しました。"}))
      << "relative URLs are resolved against the page just read";
  const auto entries = LoadEntries(Db);
  ASSERT_EQ(entries.size(), 3u);
  EXPECT_EQ(entries[0].GetId(), 1);
  EXPECT_EQ(entries[0].GetTitle(), "三つ目");
  EXPECT_DOUBLE_EQ(entries[0].GetDate(), *DayNumber(2024, 5, 3, 10, 0));
  EXPECT_DOUBLE_EQ(entries[1].GetDate(), *DayNumber(2024, 5, 2, 9, 30));
  EXPECT_EQ(entries[2].GetUrl(), Blog.Url("/e/1"));
  EXPECT_EQ(Listener.Urls.front(), Blog.Url("/"));
}

TEST_F(EntryCrawlTest, NewEntriesGoInFrontAndKeepCommentsAndMemberships) {
  Blog.SetPage("/e/2", TestBlog::EntryPage("2024/05/02", "二つ目", "/e/1"));
  ASSERT_TRUE(Crawl());
  TEntry old(3, Blog.Url("/e/1"), "", 0);
  old.SetComment("最初の記事");
  SaveComment(Db, old);
  InsertCategoryMemberships(Db, 1, {Blog.Url("/e/2")});

  Blog.SetPage("/", "top recent:/e/5;");
  Blog.SetPage("/e/5", TestBlog::EntryPage("2024/05/05", "五つ目", "/e/4"));
  Blog.SetPage("/e/4", TestBlog::EntryPage("2024/05/04", "四つ目", "/e/3"));
  EXPECT_TRUE(Crawl(true));
  EXPECT_EQ(Listener.Lines, (Lines{"OK: " + Blog.Url("/e/5") + " 最新エントリーのURLを取得しました。",
                                   "OK: " + Blog.Url("/e/5") + " 五つ目",
                                   "OK: " + Blog.Url("/e/4") + " 四つ目", "終了しました。"}));
  EXPECT_EQ(Urls(), (Lines{"1 " + Blog.Url("/e/5"), "2 " + Blog.Url("/e/4"), "3 " + Blog.Url("/e/3"),
                           "4 " + Blog.Url("/e/2"), "5 " + Blog.Url("/e/1")}));
  const auto entries = LoadEntries(Db);
  EXPECT_EQ(entries[4].GetComment(), "最初の記事");
  EXPECT_EQ(entries[3].GetCategoryIds(), (std::vector<std::int32_t>{1}));

  EXPECT_TRUE(Crawl(true)) << "nothing new";
  EXPECT_EQ(Listener.Lines, (Lines{"OK: " + Blog.Url("/e/5") + " 最新エントリーのURLを取得しました。",
                                   "終了しました。"}));
  EXPECT_EQ(Urls().size(), 5u);
}

TEST_F(EntryCrawlTest, UnreadableDatesAreLoggedAndStoredAsDayZero) {
  Blog.SetPage("/e/3", TestBlog::EntryPage("昨日", "三つ目", "/e/2"));
  Blog.SetPage("/e/2", TestBlog::EntryPage("", "二つ目", ""));
  EXPECT_TRUE(Crawl());
  EXPECT_EQ(Listener.Lines[1], "Error: 昨日 は日付ではありません。");
  EXPECT_EQ(Listener.Lines[3], "Error:  は日付ではありません。");
  const auto entries = LoadEntries(Db);
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[0].GetDate(), 0.0);
  EXPECT_EQ(entries[1].GetDate(), 0.0);
}

TEST_F(EntryCrawlTest, FailuresEndTheCrawlWithTwoLinesAndKeepWhatWasStored) {
  const struct {
    std::string path;
    std::string page;
    std::string shownUrl;
    std::string message;
    size_t stored;
  } cases[] = {
      {"/e/2", TestBlog::EntryPage("", "", "/e/1"), "/e/2", "ERROR: " + Blog.Url("/e/2"), 1},
      {"/e/2", "fail:GetDate;", "/e/2", "GetDate failed", 1},
      {"/e/2", "fail:GetTitle;", "/e/2", "GetTitle failed", 1},
      {"/e/3", "fail:GetNextUrl;date:2024/1/1;title:x;", "/e/3", "GetNextUrl failed", 0},
      {"/", "fail:GetRecentEntry;", "/", "GetRecentEntry failed", 0},
      {"/", "no mark here", "", "最新エントリーのURLの取得に失敗しました。", 0},
  };
  for (const auto& c : cases) {
    Reset();
    Blog.SetPage(c.path, c.page);
    EXPECT_FALSE(Crawl()) << c.path;
    const Lines& lines = Listener.Lines;
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[lines.size() - 2], "Error: " + (c.shownUrl.empty() ? "" : Blog.Url(c.shownUrl)));
    EXPECT_NE(lines.back().find(c.message), std::string::npos) << lines.back();
    EXPECT_EQ(LoadEntries(Db).size(), c.stored) << c.path;
  }
}

TEST_F(EntryCrawlTest, AServerErrorPartWay) {
  Blog.SetPage("/e/2", TestBlog::EntryPage("2024/05/02", "二つ目", "/e/1"));
  Blog.SetStatus("/e/1", 500, "Internal Server Error");
  EXPECT_FALSE(Crawl());
  EXPECT_EQ(Listener.Lines[Listener.Lines.size() - 2], "Error: " + Blog.Url("/e/1"));
  EXPECT_EQ(Listener.Lines.back(), "HTTP/1.1 500 Internal Server Error");
  EXPECT_EQ(LoadEntries(Db).size(), 2u);
}

TEST_F(EntryCrawlTest, AMissingScriptEmptiesTheEntriesFirst) {
  ASSERT_TRUE(Crawl());
  std::filesystem::remove(Blog.ScriptPath());
  EXPECT_FALSE(Crawl());
  EXPECT_EQ(Listener.Lines, (Lines{"Error: " + Blog.Url("/"), "ブログのスクリプトファイルが見つかりません。"}));
  EXPECT_TRUE(LoadEntries(Db).empty());
}

TEST_F(EntryCrawlTest, AFailureInNewEntriesOnlyModeLeavesTheEntriesAlone) {
  Blog.SetPage("/e/2", TestBlog::EntryPage("2024/05/02", "二つ目", "/e/1"));
  ASSERT_TRUE(Crawl());
  Blog.SetPage("/", "top recent:/e/5;");
  Blog.SetPage("/e/5", TestBlog::EntryPage("2024/05/05", "五つ目", "/e/4"));
  Blog.SetStatus("/e/4", 404, "Not Found");
  EXPECT_FALSE(Crawl(true));
  EXPECT_EQ(Urls().size(), 3u);
  EXPECT_EQ(Urls().front(), "1 " + Blog.Url("/e/3"));
}

TEST_F(EntryCrawlTest, ACircleRunsUntilCancelAndStoresEachEntryOnce) {
  Blog.SetPage("/e/1", TestBlog::EntryPage("2024/05/01", "一つ目", "/e/3"));
  Blog.SetPage("/e/2", TestBlog::EntryPage("2024/05/02", "二つ目", "/e/1"));
  int okLines = 0;
  Listener.CancelWhen = [&](const std::string& line) { return line.rfind("OK: ", 0) == 0 && ++okLines == 8; };
  EXPECT_TRUE(Crawl());
  EXPECT_EQ(Listener.Lines.size(), 9u);
  EXPECT_EQ(Listener.Lines.back(), "終了しました。");
  EXPECT_EQ(Urls().size(), 3u);
}

TEST_F(EntryCrawlTest, CancelStopsARequestInFlightAndStillMerges) {
  Blog.SetPage("/e/2", TestBlog::EntryPage("2024/05/02", "二つ目", "/e/1"));
  ASSERT_TRUE(Crawl());
  Blog.SetPage("/", "top recent:/e/5;");
  Blog.SetPage("/e/5", TestBlog::EntryPage("2024/05/05", "五つ目", "/e/4"));
  Blog.Hang("/e/4");

  const auto start = std::chrono::steady_clock::now();
  EXPECT_TRUE(Crawl(true, std::chrono::milliseconds(300)));
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
  EXPECT_EQ(Listener.Lines.back(), "終了しました。");
  EXPECT_EQ(Urls().front(), "1 " + Blog.Url("/e/5")) << "the entry read before the cancel is merged";
  EXPECT_EQ(Urls().size(), 4u);
}

}
