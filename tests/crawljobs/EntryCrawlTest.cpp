#include "TestBlog.h"

#include "crawl/Tentrycrawl.h"
#include "net/Tappconfig.h"
#include "store/Tcategoryentry.h"
#include "store/Tcomment.h"
#include "store/Tentry.h"
#include "store/Tkappfolder.h"
#include "store/Tkdatetime.h"
#include "store/Tprojectdb.h"
#include "text/Tkdatetext.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <functional>
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
    crawl.SetStartUrl(StartUrl.empty() ? Blog.Url("/") : StartUrl);
    crawl.SetDb(&Db);
    crawl.SetNewEntryOnly(newEntryOnly);
    crawl.SetBlogConfig(Blog.BlogType(Lists));
    crawl.SetListener(&Listener);
    crawl.SetHttpTimeLimits(std::chrono::seconds(5), std::chrono::seconds(5));
    crawl.SetHttpBodyLimits(1024 * 1024, std::chrono::seconds(10));
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

  // Whether the blog type reads the blog's lists of entries.
  bool Lists = false;

  Lines Urls() {
    Lines urls;
    for (const TEntry& entry : LoadEntries(Db))
      urls.push_back(std::to_string(entry.GetId()) + " " + entry.GetUrl());
    return urls;
  }

  // Column v of every row the query gives.
  Lines Column(const std::string& sql) {
    Lines rows;
    Db.Query.SetSql(sql);
    for (Db.Query.Open(); !Db.Query.Eof(); Db.Query.Next())
      rows.push_back(Db.Query.GetText("v"));
    Db.Query.Close();
    return rows;
  }

  // Everything an entry crawl must never lose or change behind the user's back.
  Lines StoredRows() {
    Lines rows = Column("select id || ' ' || url || ' ' || タイトル || ' ' || 日付 as v from entries order by id");
    for (const std::string& row : Column("select url || ' ' || comment as v from comments order by rowid"))
      rows.push_back(row);
    for (const std::string& row :
         Column("select category_id || ' ' || url as v from categories_entry order by rowid"))
      rows.push_back(row);
    return rows;
  }

  TestBlog Blog;
  TProjectDb Db;
  RecordingListener Listener;
  std::string StartUrl;
};

TEST_F(EntryCrawlTest, AFullCrawlStoresEveryEntryNewestFirst) {
  Blog.SetPage("/e/2", TestBlog::EntryPage("2024-05-02T09:30:00+09:00", "二つ目", "1"));
  EXPECT_TRUE(Crawl());
  EXPECT_EQ(Listener.Lines, (Lines{"OK: " + Blog.Url("/e/3") + " 最新エントリーのURLを取得しました。",
                                   "OK: " + Blog.Url("/e/3") + " 三つ目",
                                   "OK: " + Blog.Url("/e/2") + " 二つ目",
                                   "OK: " + Blog.Url("/e/1") + " 一つ目",
                                   "エントリーの一覧を読み込んだ 3 件で置き換えました。", "終了しました。"}))
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

TEST_F(EntryCrawlTest, FailuresEndTheCrawlWithTwoLinesAndKeepWhatWasRead) {
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
      {"/", "no mark here", "/", "最新エントリーのURLの取得に失敗しました。", 0},
      {"/e/2", std::string(1024 * 1024 + 1, 'x'), "/e/2",
       "ページが大きすぎます (1 MB を超えています): " + Blog.Url("/e/2"), 1},
  };
  for (const auto& c : cases) {
    Reset();
    Blog.SetPage(c.path, c.page);
    EXPECT_FALSE(Crawl()) << c.path;
    const Lines& lines = Listener.Lines;
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines[lines.size() - 3], "Error: " + Blog.Url(c.shownUrl));
    EXPECT_NE(lines[lines.size() - 2].find(c.message), std::string::npos) << lines[lines.size() - 2];
    EXPECT_EQ(lines.back(), "最後まで読めなかったため、読み込んだ " + std::to_string(c.stored) +
                                " 件の後ろに保存済みのエントリー 0 件を残しました。");
    EXPECT_EQ(LoadEntries(Db).size(), c.stored) << c.path;
  }
}

TEST_F(EntryCrawlTest, AServerErrorPartWay) {
  Blog.SetPage("/e/2", TestBlog::EntryPage("2024/05/02", "二つ目", "/e/1"));
  Blog.SetStatus("/e/1", 500, "Internal Server Error");
  EXPECT_FALSE(Crawl());
  EXPECT_EQ(Listener.Lines[Listener.Lines.size() - 3], "Error: " + Blog.Url("/e/1"));
  EXPECT_EQ(Listener.Lines[Listener.Lines.size() - 2], "500 サーバー内部のエラーです (HTTP/1.1 500 Internal Server Error)");
  EXPECT_EQ(LoadEntries(Db).size(), 2u);
}

TEST_F(EntryCrawlTest, AMissingScriptKeepsTheStoredEntries) {
  ASSERT_TRUE(Crawl());
  std::filesystem::remove(Blog.ScriptPath());
  EXPECT_FALSE(Crawl());
  EXPECT_EQ(Listener.Lines, (Lines{"Error: " + Blog.Url("/"), "ブログのスクリプトファイルが見つかりません。",
                                   "最後まで読めなかったため、読み込んだ 0 件の後ろに保存済みのエントリー 3 件を残しました。"}));
  EXPECT_EQ(Urls(), (Lines{"1 " + Blog.Url("/e/3"), "2 " + Blog.Url("/e/2"), "3 " + Blog.Url("/e/1")}));
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

TEST_F(EntryCrawlTest, AChainThatReturnsToAnEntryItReadEndsThereAsAFailure) {
  // The scheme and the host are compared without case, the path with it.
  const std::string upperScheme = "HTTP" + Blog.Url("/e/3").substr(4);
  const struct {
    std::string path;
    std::string next;
    Lines read;
  } cases[] = {
      {"/e/1", Blog.Url("/e/3"), {"/e/3", "/e/2", "/e/1"}},
      {"/e/3", Blog.Url("/e/3"), {"/e/3"}},
      {"/e/2", upperScheme, {"/e/3", "/e/2"}},
  };
  for (const auto& c : cases) {
    Reset();
    Blog.SetPage("/e/2", TestBlog::EntryPage("2024/05/02", "二つ目", "/e/1"));
    Blog.SetPage(c.path, TestBlog::EntryPage("2024/05/09", "戻る", c.next));
    Listener.Urls.clear();
    EXPECT_FALSE(Crawl()) << c.path;
    const Lines& lines = Listener.Lines;
    ASSERT_EQ(lines.size(), c.read.size() + 3) << c.path;
    EXPECT_EQ(lines[lines.size() - 3], "OK: " + Blog.Url(c.read.back()) + " 戻る");
    EXPECT_EQ(lines[lines.size() - 2], "Error: " + c.next + " は既に読んだページです。");
    EXPECT_EQ(lines.back(), "最後まで読めなかったため、読み込んだ " + std::to_string(c.read.size()) +
                                " 件の後ろに保存済みのエントリー 0 件を残しました。");
    EXPECT_EQ(Listener.Urls.size(), c.read.size() + 1) << "no page is fetched twice";
    EXPECT_EQ(Urls().size(), c.read.size());
  }

  // New entries only: the circle among the new entries stages nothing twice and, as
  // any failure in this mode, leaves the stored entries alone.
  Reset();
  Blog.SetPage("/e/2", TestBlog::EntryPage("2024/05/02", "二つ目", "/e/1"));
  ASSERT_TRUE(Crawl());
  Blog.SetPage("/", "top recent:/e/5;");
  Blog.SetPage("/e/5", TestBlog::EntryPage("2024/05/05", "五つ目", "/e/4"));
  Blog.SetPage("/e/4", TestBlog::EntryPage("2024/05/04", "四つ目", "/e/5"));
  EXPECT_FALSE(Crawl(true));
  EXPECT_EQ(Listener.Lines, (Lines{"OK: " + Blog.Url("/e/5") + " 最新エントリーのURLを取得しました。",
                                   "OK: " + Blog.Url("/e/5") + " 五つ目", "OK: " + Blog.Url("/e/4") + " 四つ目",
                                   "Error: " + Blog.Url("/e/5") + " は既に読んだページです。"}));
  EXPECT_EQ(Urls(), (Lines{"1 " + Blog.Url("/e/3"), "2 " + Blog.Url("/e/2"), "3 " + Blog.Url("/e/1")}));
  EXPECT_EQ(Column("select count(*) as v from tmp_entries"), Lines{"2"});
}

TEST_F(EntryCrawlTest, AUrlIsAbsoluteOnlyWithASchemeAndOneThatCannotBeResolvedIsNamed) {
  Blog.SetPage("/e/2", TestBlog::EntryPage("2024/05/02", "二つ目", "1?from=http://x/"));
  Blog.SetPage("/e/1?from=http://x/", TestBlog::EntryPage("2024/05/01", "一つ目", ""));
  EXPECT_TRUE(Crawl());
  EXPECT_EQ(Urls(), (Lines{"1 " + Blog.Url("/e/3"), "2 " + Blog.Url("/e/2"),
                           "3 " + Blog.Url("/e/1?from=http://x/")}));

  for (const std::string& returned : {std::string("javascript:void(0)"), std::string("http://")}) {
    Reset();
    Blog.SetPage("/", "top recent:" + returned + ";");
    EXPECT_FALSE(Crawl()) << returned;
    const Lines& lines = Listener.Lines;
    ASSERT_EQ(lines.size(), 4u) << returned;
    EXPECT_EQ(lines[0], "OK: " + returned + " 最新エントリーのURLを取得しました。");
    EXPECT_EQ(lines[1], "Error: " + returned);
    EXPECT_NE(lines[2].find(": " + returned), std::string::npos) << lines[2];
  }
}

TEST_F(EntryCrawlTest, ALinkTooLongToFetchEndsTheCrawlByNameWithShortLines) {
  const std::string huge = Blog.Url("/e/") + std::string(1000 * 1000, 'x');  // a page fits the body limit
  Blog.SetPage("/e/2", TestBlog::EntryPage("2024/05/02", "二つ目", huge));
  EXPECT_FALSE(Crawl());
  EXPECT_EQ(Urls(), (Lines{"1 " + Blog.Url("/e/3"), "2 " + Blog.Url("/e/2")}));
  bool named = false;
  for (const std::string& line : Listener.Lines) {
    named = named || line.rfind("URLが長すぎます", 0) == 0;
    EXPECT_LT(line.size(), 1000u);
  }
  EXPECT_TRUE(named) << testing::PrintToString(Listener.Lines).substr(0, 2000);
  for (const std::string& url : Listener.Urls)
    EXPECT_LT(url.size(), 1000u);
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

// Six stored entries, /e/6 newest, with comments and memberships. The blog has since
// gained /e/7 and lost /e/5, and retitled what it still lists; the second crawl
// breaks at one point of that chain.
TEST_F(EntryCrawlTest, ACrawlThatBreaksAnywhereLosesNoStoredEntryCommentOrMembership) {
  const auto storeSixEntries = [&] {
    Reset();
    Blog.SetPage("/", "top recent:/e/6;");
    for (int n = 6; n >= 1; --n)
      Blog.SetPage("/e/" + std::to_string(n),
                   TestBlog::EntryPage("2024/05/0" + std::to_string(n), "古" + std::to_string(n),
                                       n > 1 ? "/e/" + std::to_string(n - 1) : ""));
    ASSERT_TRUE(Crawl());
    for (const int n : {5, 1}) {
      TEntry entry(0, Blog.Url("/e/" + std::to_string(n)), "", 0);
      entry.SetComment("感想" + std::to_string(n));
      SaveComment(Db, entry);
    }
    InsertCategoryMemberships(Db, 1, {Blog.Url("/e/5"), Blog.Url("/e/3")});
    InsertCategoryMemberships(Db, 2, {Blog.Url("/e/6")});
    const std::vector<std::pair<int, int>> chain = {{7, 6}, {6, 4}, {4, 3}, {3, 2}, {2, 1}, {1, 0}};
    Blog.SetPage("/", "top recent:/e/7;");
    for (const auto& [n, next] : chain)
      Blog.SetPage("/e/" + std::to_string(n),
                   TestBlog::EntryPage("2024/06/0" + std::to_string(n), "新" + std::to_string(n),
                                       next ? "/e/" + std::to_string(next) : ""));
  };
  const std::string away = Blog.ScriptPath() + ".away";
  const std::string refused =
      "create trigger full before insert on tmp_entries when new.タイトル like '新%' and "
      "(select count(*) from tmp_entries) >= 3 begin select raise(abort, 'disk full'); end";
  const struct {
    std::string name;
    std::function<void()> breakIt;
    std::string shownUrl;  // "" for a cancel, which logs no error
    std::string message;
    Lines titles;
  } cases[] = {
      {"top page unreachable", [&] { StartUrl = "http://127.0.0.1:1/"; }, "http://127.0.0.1:1/", "connect",
       {"古6", "古5", "古4", "古3", "古2", "古1"}},
      {"script file missing", [&] { std::filesystem::rename(Blog.ScriptPath(), away); }, Blog.Url("/"),
       "ブログのスクリプトファイルが見つかりません。", {"古6", "古5", "古4", "古3", "古2", "古1"}},
      {"script error", [&] { Blog.SetPage("/e/4", "fail:GetTitle;"); }, Blog.Url("/e/4"), "GetTitle failed",
       {"新7", "新6", "古5", "古4", "古3", "古2", "古1"}},
      {"server error", [&] { Blog.SetStatus("/e/3", 500, "Internal Server Error"); }, Blog.Url("/e/3"),
       "500 Internal Server Error", {"新7", "新6", "新4", "古5", "古3", "古2", "古1"}},
      {"connection reset", [&] { Blog.ResetConnection("/e/2"); }, Blog.Url("/e/2"), "Connection reset",
       {"新7", "新6", "新4", "新3", "古5", "古2", "古1"}},
      {"cancel",
       [&] {
         Listener.CancelWhen = [&](const std::string& line) { return line == "OK: " + Blog.Url("/e/4") + " 新4"; };
       },
       "", "", {"新7", "新6", "新4", "古5", "古3", "古2", "古1"}},
      {"database write refused", [&] { Db.GetConnection().ExecuteDirect(refused); }, Blog.Url("/e/3"),
       "disk full", {"新7", "新6", "新4", "古5", "古3", "古2", "古1"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    storeSixEntries();
    const Lines comments = Column("select url || ' ' || comment as v from comments order by rowid");
    const Lines memberships = Column("select category_id || ' ' || url as v from categories_entry order by rowid");
    c.breakIt();

    EXPECT_EQ(Crawl(), c.shownUrl.empty());
    StartUrl.clear();
    Listener.CancelWhen = nullptr;

    const auto entries = LoadEntries(Db);
    Lines titles;
    for (size_t i = 0; i < entries.size(); ++i) {
      titles.push_back(entries[i].GetTitle());
      EXPECT_EQ(entries[i].GetId(), static_cast<int>(i + 1));
      EXPECT_EQ(entries[i].GetUrl(), Blog.Url("/e/" + entries[i].GetTitle().substr(3)));
    }
    EXPECT_EQ(titles, c.titles) << "the entries read, then the stored ones not read in their old order";
    EXPECT_EQ(Column("select url || ' ' || comment as v from comments order by rowid"), comments);
    EXPECT_EQ(Column("select category_id || ' ' || url as v from categories_entry order by rowid"), memberships);

    const size_t read = static_cast<size_t>(std::count_if(
        c.titles.begin(), c.titles.end(), [](const std::string& title) { return title.starts_with("新"); }));
    const std::string kept = "最後まで読めなかったため、読み込んだ " + std::to_string(read) +
                             " 件の後ろに保存済みのエントリー " + std::to_string(c.titles.size() - read) +
                             " 件を残しました。";
    const Lines& lines = Listener.Lines;
    ASSERT_GE(lines.size(), 3u);
    if (c.shownUrl.empty()) {
      EXPECT_EQ(lines[lines.size() - 2], kept);
      EXPECT_EQ(lines.back(), "終了しました。");
    } else {
      EXPECT_EQ(lines[lines.size() - 3], "Error: " + c.shownUrl);
      EXPECT_NE(lines[lines.size() - 2].find(c.message), std::string::npos) << lines[lines.size() - 2];
      EXPECT_EQ(lines.back(), kept);
    }
    if (std::filesystem::exists(away))
      std::filesystem::rename(away, Blog.ScriptPath());
  }
}

TEST_F(EntryCrawlTest, AChainReadToItsEndDropsWhatTheBlogNoLongerHas) {
  ASSERT_TRUE(Crawl());
  TEntry gone(2, Blog.Url("/e/2"), "", 0);
  gone.SetComment("消えた記事の感想");
  SaveComment(Db, gone);
  Blog.SetPage("/e/3", TestBlog::EntryPage("2024/05/03", "三つ目", "/e/1"));

  EXPECT_TRUE(Crawl());
  EXPECT_EQ(Listener.Lines[Listener.Lines.size() - 2], "保存済みの 3 件を、読み込んだ 2 件で置き換えました。");
  EXPECT_EQ(Urls(), (Lines{"1 " + Blog.Url("/e/3"), "2 " + Blog.Url("/e/1")}));
  EXPECT_EQ(Column("select comment as v from comments"), (Lines{"消えた記事の感想"}))
      << "comments are keyed by URL and outlive the entry";
}

TEST_F(EntryCrawlTest, AFinalStepThatFailsLeavesTheEntriesAsTheyWere) {
  const struct {
    std::string name;
    bool chainEnds;
  } cases[] = {{"complete chain", true}, {"broken chain", false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Reset();
    ASSERT_TRUE(Crawl());
    const Lines before = StoredRows();
    Blog.SetPage("/", "top recent:/e/4;");
    Blog.SetPage("/e/4", TestBlog::EntryPage("2024/05/04", "四つ目", "/e/3"));
    if (!c.chainEnds)
      Blog.SetStatus("/e/2", 500, "Internal Server Error");
    Db.GetConnection().ExecuteDirect(
        "create trigger full before insert on entries begin select raise(abort, 'disk full'); end");

    EXPECT_FALSE(Crawl());
    EXPECT_EQ(StoredRows(), before);
    EXPECT_NE(Listener.Lines.back().find("disk full"), std::string::npos) << Listener.Lines.back();
    EXPECT_EQ(Listener.Lines[Listener.Lines.size() - 2].rfind("Error: ", 0), 0u);
  }
}

}

// The blog's list pages: / lists /e/3 and /e/2, /l/2 lists /e/2 again and /e/1.
TEST_F(EntryCrawlTest, ListsAreReadPageByPageWithTheEntriesTheyHoldEachOnce) {
  Lists = true;
  Blog.SetPage("/", "list:/e/3|/e/2;nextlist:/l/2;");
  Blog.SetPage("/l/2", "list:/e/2|" + Blog.Url("/e/1") + ";");
  ASSERT_TRUE(Crawl());
  EXPECT_EQ(Urls(), (Lines{"1 " + Blog.Url("/e/3"), "2 " + Blog.Url("/e/2"), "3 " + Blog.Url("/e/1")}));
  EXPECT_EQ(Listener.Lines, (Lines{"OK: " + Blog.Url("/") + " エントリーの一覧 (2 件) を取得しました。",
                                   "OK: " + Blog.Url("/e/3") + " 三つ目",
                                   "OK: " + Blog.Url("/e/2") + " 二つ目",
                                   "OK: " + Blog.Url("/l/2") + " エントリーの一覧 (2 件) を取得しました。",
                                   "OK: " + Blog.Url("/e/1") + " 一つ目",
                                   "エントリーの一覧を読み込んだ 3 件で置き換えました。", "終了しました。"}));

  // New entries only: the list is read up to the first stored entry.
  Blog.SetPage("/", "list:/e/5|/e/4|/e/3|/e/2;nextlist:/l/2;");
  Blog.SetPage("/e/5", TestBlog::EntryPage("2024/05/05", "五つ目", ""));
  Blog.SetPage("/e/4", TestBlog::EntryPage("2024/05/04", "四つ目", ""));
  Listener.Urls.clear();
  ASSERT_TRUE(Crawl(true));
  EXPECT_EQ(Urls(), (Lines{"1 " + Blog.Url("/e/5"), "2 " + Blog.Url("/e/4"), "3 " + Blog.Url("/e/3"),
                           "4 " + Blog.Url("/e/2"), "5 " + Blog.Url("/e/1")}));
  EXPECT_EQ(Listener.Urls, (Lines{Blog.Url("/"), Blog.Url("/e/5"), Blog.Url("/e/4"), Blog.Url("/e/3")}));
}

// A top page that lists only the newest entries: the older ones are reached by the
// oldest listed entry's link, each page read once.
TEST_F(EntryCrawlTest, WhereTheListsEndTheOlderEntriesAreFollowedByTheirLinks) {
  Lists = true;
  Blog.SetPage("/", "list:/e/3;");
  ASSERT_TRUE(Crawl());
  EXPECT_EQ(Urls(), (Lines{"1 " + Blog.Url("/e/3"), "2 " + Blog.Url("/e/2"), "3 " + Blog.Url("/e/1")}));
  EXPECT_EQ(Listener.Urls, (Lines{Blog.Url("/"), Blog.Url("/e/3"), Blog.Url("/e/2"), Blog.Url("/e/1")}));
}

TEST_F(EntryCrawlTest, AListThatEndsBadlyKeepsTheStoredEntriesItDidNotReach) {
  Lists = true;
  Blog.SetPage("/", "list:/e/3|/e/2|/e/1;");
  ASSERT_TRUE(Crawl());
  const struct {
    std::string top;
    std::string second;
    std::string error;    // the error line
    std::string message;  // in the line after it, when there is one
  } cases[] = {
      {"nothing listed", "", "Error: " + Blog.Url("/"), "エントリーの一覧にエントリーが見つかりません。"},
      {"list:/e/3;nextlist:/l/2;", "list:/e/2;nextlist:/;", "Error: " + Blog.Url("/") + " は既に読んだページです。", ""},
      {"list:/e/3;nextlist:/l/2;", "fail:GetEntryList;", "Error: " + Blog.Url("/l/2"), "GetEntryList failed"},
  };
  for (const auto& c : cases) {
    Blog.SetPage("/", c.top);
    Blog.SetPage("/l/2", c.second);
    EXPECT_FALSE(Crawl()) << c.top;
    const Lines& lines = Listener.Lines;
    const size_t error = lines.size() - (c.message.empty() ? 2 : 3);
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines[error], c.error);
    if (!c.message.empty()) {
      EXPECT_NE(lines[error + 1].find(c.message), std::string::npos) << lines[error + 1];
    }
    EXPECT_EQ(Urls().size(), 3u) << "nothing stored is lost: " << c.top;
  }

  // Cancel stops at once and keeps the entries not reached behind the one read.
  Blog.SetPage("/", "list:/e/3|/e/2|/e/1;");
  Blog.SetPage("/e/3", TestBlog::EntryPage("2024/05/03", "新3", ""));
  Listener.CancelWhen = [&](const std::string& line) { return line.find(" 新3") != std::string::npos; };
  Listener.Urls.clear();
  EXPECT_TRUE(Crawl());
  Listener.CancelWhen = nullptr;
  EXPECT_EQ(Listener.Urls, (Lines{Blog.Url("/"), Blog.Url("/e/3")}));
  EXPECT_EQ(Urls(), (Lines{"1 " + Blog.Url("/e/3"), "2 " + Blog.Url("/e/2"), "3 " + Blog.Url("/e/1")}));
  EXPECT_EQ(LoadEntries(Db).front().GetTitle(), "新3");
}

TEST_F(EntryCrawlTest, RedirectsWithinTheBlogAreFollowedAndTheEntryKeepsItsFinalAddress) {
  Blog.SetPage("/", "top recent:/e/3;");
  Blog.Redirect("/e/3", 301, "/e/3/");
  Blog.SetPage("/e/3/", TestBlog::EntryPage("2024/05/03", "三つ目", "/e/2") + "showurl;");
  Blog.Redirect("/e/2", 302, Blog.Url("/e/2.html"));
  Blog.SetPage("/e/2.html", TestBlog::EntryPage("2024/05/02", "二つ目", "/e/1"));
  ASSERT_TRUE(Crawl());
  EXPECT_EQ(Urls(), (Lines{"1 " + Blog.Url("/e/3/"), "2 " + Blog.Url("/e/2.html"), "3 " + Blog.Url("/e/1")}));
  EXPECT_EQ(Listener.Lines[1], "転送: " + Blog.Url("/e/3") + " → " + Blog.Url("/e/3/") + " (HTTP/1.1 301 Moved)");
  EXPECT_EQ(LoadEntries(Db).front().GetTitle(), "三つ目 @" + Blog.Url("/e/3/")) << "the script sees the final address";

  // Another host is not followed; the entries not reached are kept.
  const std::string elsewhere = "http://localhost:" + Blog.Url("/").substr(Blog.Url("/").rfind(':') + 1) + "e/2";
  Blog.Redirect("/e/2", 301, elsewhere);
  EXPECT_FALSE(Crawl());
  const Lines& lines = Listener.Lines;
  EXPECT_EQ(lines[lines.size() - 3], "Error: " + Blog.Url("/e/2"));
  EXPECT_EQ(lines[lines.size() - 2], "別のホストへの転送には従いません (HTTP/1.1 301 Moved): " + elsewhere);
  EXPECT_EQ(Urls().size(), 3u);
}

TEST_F(EntryCrawlTest, AddressesThatDifferOnlyInTheCaseOfTheirPathAreDifferentEntries) {
  Blog.SetPage("/e/3", TestBlog::EntryPage("2024/05/03", "三つ目", "/2024/Tokyo/"));
  Blog.SetPage("/2024/Tokyo/", TestBlog::EntryPage("2024/05/02 12:00", "Tokyo", "/2024/tokyo/"));
  Blog.SetPage("/2024/tokyo/", TestBlog::EntryPage("2024/05/02 11:00", "tokyo", "/e/1"));
  ASSERT_TRUE(Crawl());
  EXPECT_EQ(Listener.Lines[Listener.Lines.size() - 2], "エントリーの一覧を読み込んだ 4 件で置き換えました。");
}


// A title keeps at most 2,000 characters, never half of one, followed or listed.
TEST_F(EntryCrawlTest, ALongTitleIsStoredCutToTwoThousandCharacters) {
  const auto times = [](const std::string& text, int count) {
    std::string result;
    while (count-- > 0)
      result += text;
    return result;
  };
  const std::pair<std::string, std::string> cases[] = {
      {times("あ", 2000), times("あ", 2000)},
      {times("a", 1998) + times("😀", 3), times("a", 1998) + "😀…"},
      {times("長い題名", 50'000), times("長い題名", 499) + "長い題…"}};
  for (const bool lists : {false, true})
    for (const auto& [title, stored] : cases) {
      Lists = lists;
      Reset();
      if (lists)
        Blog.SetPage("/", "list:/e/3;");
      Blog.SetPage("/e/3", TestBlog::EntryPage("2024/05/03", title, ""));
      ASSERT_TRUE(Crawl());
      // Compared whole, so that a failure does not print megabytes.
      EXPECT_TRUE(LoadEntries(Db).at(0).GetTitle() == stored) << lists << " " << stored.size();
      EXPECT_TRUE(Listener.Lines.at(1) == "OK: " + Blog.Url("/e/3") + " " + stored) << lists << " " << stored.size();
    }
}
