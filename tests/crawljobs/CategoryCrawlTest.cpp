#include "TestBlog.h"

#include "crawl/Tcategorycrawl.h"
#include "net/Tappconfig.h"
#include "store/Tcategory.h"
#include "store/Tcategoryentry.h"
#include "store/Tcomment.h"
#include "store/Tentry.h"
#include "store/Tkappfolder.h"
#include "store/Tprojectdb.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>

namespace {

using Lines = std::vector<std::string>;

// Two categories: food over two pages, travel on one.
class CategoryCrawlTest : public ::testing::Test {
protected:
  CategoryCrawlTest() {
    TAppConfig::GetInstance()->SetSleepTime(0);
    TAppConfig::GetInstance()->SetUseProxy(false);
    Db.New(GetDbFolder() + "blog.mdb");
    Blog.SetPage("/c/food", "urls:/e/1|/e/2;nextpage:/c/food/2;");
    Blog.SetPage("/c/food/2", "urls:/e/3|/e/1;");
    Blog.SetPage("/c/travel", "urls:/e/2;");
    Categories = {{"料理", Blog.Url("/c/food")}, {"旅行", Blog.Url("/c/travel")}};
  }

  bool Crawl() {
    TCategoryCrawl crawl;
    crawl.SetCategories(Categories);
    crawl.SetDb(&Db);
    crawl.SetBlogConfig(Blog.BlogType());
    crawl.SetListener(&Listener);
    Listener.Job = &crawl;
    const bool ok = crawl.Run();
    Listener.Job = nullptr;
    return ok;
  }

  Lines Memberships() {
    Lines rows;
    Db.Query.SetSql("select category_id, url from categories_entry order by rowid");
    for (Db.Query.Open(); !Db.Query.Eof(); Db.Query.Next())
      rows.push_back(Db.Query.GetText("category_id") + " " + Db.Query.GetText("url"));
    Db.Query.Close();
    return rows;
  }

  std::string CrawlList() {
    Db.Query.SetSql("select data from config where name = 'category_crawl_list'");
    Db.Query.Open();
    const std::string text = Db.Query.Eof() ? "(none)" : Db.Query.GetText("data");
    Db.Query.Close();
    return text;
  }

  Lines CategoryNames() {
    Lines names;
    for (const auto& [id, category] : LoadCategories(Db))
      names.push_back(std::to_string(id) + category.GetName());
    return names;
  }

  TestBlog Blog;
  TProjectDb Db;
  RecordingListener Listener;
  std::vector<TCategoryData> Categories;
};

TEST_F(CategoryCrawlTest, EveryPageOfEveryCategoryIsRead) {
  InsertCategoryMemberships(Db, 9, {"stale"});
  EXPECT_TRUE(Crawl());
  EXPECT_EQ(Listener.Lines, (Lines{"OK: " + Blog.Url("/c/food") + " 料理",
                                   "OK: " + Blog.Url("/c/food/2") + " 料理",
                                   "OK: " + Blog.Url("/c/travel") + " 旅行", "終了しました。"}));
  EXPECT_EQ(Memberships(), (Lines{"1 " + Blog.Url("/e/1"), "1 " + Blog.Url("/e/2"), "1 " + Blog.Url("/e/3"),
                                  "2 " + Blog.Url("/e/2")}))
      << "relative URLs are stored resolved against their category page, each once per category";
  EXPECT_EQ(CategoryNames(), (Lines{"0 ", "1料理", "2旅行"}));
  EXPECT_EQ(CrawlList(), "料理\t" + Blog.Url("/c/food") + "\n旅行\t" + Blog.Url("/c/travel") + "\n");
  EXPECT_EQ(Listener.CategoryProgress, (std::vector<std::vector<int>>{{0, 2, 0}, {0, 2, 1}, {0, 2, 2}}));
}

TEST_F(CategoryCrawlTest, EmptyListsLinesAndUrls) {
  Categories.clear();
  EXPECT_TRUE(Crawl());
  EXPECT_EQ(Listener.Lines, (Lines{"終了しました。"}));
  EXPECT_EQ(CategoryNames(), (Lines{"0 "}));

  Listener.Lines.clear();
  Blog.SetPage("/c/odd", "urls:a||http://other.example/b|q?from=http://x/;");
  Categories = {{"空", ""}, {"奇妙", Blog.Url("/c/odd")}};
  EXPECT_TRUE(Crawl());
  EXPECT_EQ(Listener.Lines, (Lines{"OK: " + Blog.Url("/c/odd") + " 奇妙", "終了しました。"}));
  EXPECT_EQ(CategoryNames(), (Lines{"0 ", "1空", "2奇妙"}));
  EXPECT_EQ(Memberships(), (Lines{"2 " + Blog.Url("/c/a"), "2 ", "2 http://other.example/b",
                                  "2 " + Blog.Url("/c/q?from=http://x/")}))
      << "a URL is absolute only when it begins with a scheme";
}

TEST_F(CategoryCrawlTest, FailuresKeepWhatWasRead) {
  Blog.SetPage("/c/travel", "fail:GetEntryUrl;");
  EXPECT_FALSE(Crawl());
  ASSERT_GE(Listener.Lines.size(), 2u);
  EXPECT_EQ(Listener.Lines[Listener.Lines.size() - 2], "Error: " + Blog.Url("/c/travel"));
  EXPECT_NE(Listener.Lines.back().find("GetEntryUrl failed"), std::string::npos) << Listener.Lines.back();
  EXPECT_EQ(CategoryNames(), (Lines{"0 ", "1料理", "2旅行"}));
  const Lines food = {"1 " + Blog.Url("/e/1"), "1 " + Blog.Url("/e/2"), "1 " + Blog.Url("/e/3")};
  EXPECT_EQ(Memberships(), food);

  Listener.Lines.clear();
  Blog.SetPage("/c/travel", "urls:/e/2;fail:GetNextCategoryUrl;");
  EXPECT_FALSE(Crawl());
  EXPECT_NE(Listener.Lines.back().find("GetNextCategoryUrl failed"), std::string::npos);
  EXPECT_EQ(Memberships(), food) << "a page of a category not read to its end is not stored";

  Listener.Lines.clear();
  Blog.SetStatus("/c/food/2", 503, "Service Unavailable");
  EXPECT_FALSE(Crawl());
  EXPECT_EQ(Listener.Lines, (Lines{"OK: " + Blog.Url("/c/food") + " 料理", "Error: " + Blog.Url("/c/food/2"),
                                   "503 サービスを利用できません (HTTP/1.1 503 Service Unavailable)"}));
  EXPECT_EQ(Memberships(), food) << "what the category had stays";
}

TEST_F(CategoryCrawlTest, AMissingScriptNamesItsPath) {
  std::filesystem::remove(Blog.ScriptPath());
  EXPECT_FALSE(Crawl());
  EXPECT_EQ(Listener.Lines,
            (Lines{"Error: ", "スクリプトファイルが見つかりません。\n" + Blog.BlogType().GetScriptPath()}));
  EXPECT_EQ(CategoryNames(), (Lines{"0 ", "1料理", "2旅行"})) << "the crawl's list is stored however it ends";
}

TEST_F(CategoryCrawlTest, CancelStopsBeforeTheNextRequest) {
  ASSERT_TRUE(Crawl());
  const Lines before = Memberships();
  Blog.SetPage("/c/food", "urls:/e/9;nextpage:/c/food/2;");
  Listener.Lines.clear();
  Listener.CancelWhen = [](const std::string& line) { return line.find("/c/food ") != std::string::npos; };
  EXPECT_TRUE(Crawl());
  EXPECT_EQ(Listener.Lines, (Lines{"OK: " + Blog.Url("/c/food") + " 料理", "終了しました。"}));
  EXPECT_EQ(CategoryNames(), (Lines{"0 ", "1料理", "2旅行"}));
  EXPECT_EQ(Memberships(), before) << "the category the cancel cut short keeps what it had";
}

TEST_F(CategoryCrawlTest, ANextPageThatLeadsBackToAPageOfTheCategoryEndsThereAsAFailure) {
  ASSERT_TRUE(Crawl());
  const Lines before = Memberships();
  const struct {
    std::string page;
    std::string next;
    Lines read;
  } cases[] = {
      {"/c/food/2", "/c/food", {"/c/food", "/c/food/2"}},
      {"/c/food/2", "HTTP" + Blog.Url("/c/food/2").substr(4), {"/c/food", "/c/food/2"}},
      {"/c/food", "/c/food", {"/c/food"}},
  };
  for (const auto& c : cases) {
    Blog.SetPage("/c/food", "urls:/e/9;nextpage:/c/food/2;");
    Blog.SetPage("/c/food/2", "urls:/e/3|/e/1;");
    Blog.SetPage(c.page, "urls:/e/8;nextpage:" + c.next + ";");
    Listener.Lines.clear();
    Listener.Urls.clear();
    EXPECT_FALSE(Crawl()) << c.page;
    Lines expected;
    for (const std::string& page : c.read)
      expected.push_back("OK: " + Blog.Url(page) + " 料理");
    expected.push_back("Error: " + (c.next.rfind("HTTP", 0) == 0 ? c.next : Blog.Url(c.next)) +
                       " は既に読んだページです。");
    EXPECT_EQ(Listener.Lines, expected);
    EXPECT_EQ(Listener.Urls.size(), c.read.size()) << "no page is fetched twice";
    EXPECT_EQ(Memberships(), before) << "the category keeps what it had";
  }

  // Only a page of the same category counts: another category may begin there.
  Blog.SetPage("/c/food", "urls:/e/1|/e/2;nextpage:/c/food/2;");
  Blog.SetPage("/c/food/2", "urls:/e/3|/e/1;");
  Categories[1].url = Blog.Url("/c/food/2");
  Listener.Lines.clear();
  EXPECT_TRUE(Crawl());
  EXPECT_EQ(Listener.Lines.back(), "終了しました。");
  EXPECT_EQ(Memberships().back(), "2 " + Blog.Url("/e/1"));
}

// Three categories read once; the blog has since moved /e/2 out of food and listed
// /e/9 everywhere. The second crawl breaks at one point (pages in order: food,
// food/2, travel, diary, diary/2).
TEST_F(CategoryCrawlTest, ACrawlThatBreaksAnywhereLosesNoMembership) {
  const auto readOnce = [&] {
    Db.New(GetDbFolder() + "blog.mdb");
    Blog.SetPage("/c/food", "urls:/e/1|/e/2;nextpage:/c/food/2;");
    Blog.SetPage("/c/food/2", "urls:/e/3;");
    Blog.SetPage("/c/travel", "urls:/e/4;");
    Blog.SetPage("/c/diary", "urls:/e/5;nextpage:/c/diary/2;");
    Blog.SetPage("/c/diary/2", "urls:/e/6;");
    Categories = {{"料理", Blog.Url("/c/food")}, {"旅行", Blog.Url("/c/travel")}, {"日記", Blog.Url("/c/diary")}};
    ASSERT_TRUE(Crawl());
    TEntry entry(0, Blog.Url("/e/2"), "", 0);
    entry.SetComment("感想");
    SaveComment(Db, entry);
    Blog.SetPage("/c/food", "urls:/e/1|/e/9;nextpage:/c/food/2;");
    Blog.SetPage("/c/travel", "urls:/e/4|/e/9;");
    Blog.SetPage("/c/diary", "urls:/e/5|/e/9;nextpage:/c/diary/2;");
  };
  const auto rows = [&](const std::string& category, std::initializer_list<int> entries) {
    Lines result;
    for (const int n : entries)
      result.push_back(category + " " + Blog.Url("/e/" + std::to_string(n)));
    return result;
  };
  const Lines oldFood = rows("1", {1, 2, 3}), newFood = rows("1", {1, 9, 3});
  const Lines oldTravel = rows("2", {4}), newTravel = rows("2", {4, 9});
  const Lines oldDiary = rows("3", {5, 6}), newDiary = rows("3", {5, 9, 6});
  const std::string away = Blog.ScriptPath() + ".away";
  const struct {
    std::string name;
    std::function<void()> breakIt;
    bool ok;
    std::string shownUrl;
    std::string message;
    std::vector<Lines> memberships;
  } cases[] = {
      {"nothing breaks", [] {}, true, "", "", {newFood, newTravel, newDiary}},
      {"first page unreachable", [&] { Blog.ResetConnection("/c/food"); }, false, Blog.Url("/c/food"),
       "Connection reset", {oldFood, oldTravel, oldDiary}},
      {"script file missing", [&] { std::filesystem::rename(Blog.ScriptPath(), away); }, false, "",
       "スクリプトファイルが見つかりません。", {oldFood, oldTravel, oldDiary}},
      {"script error on page 3", [&] { Blog.SetPage("/c/travel", "fail:GetEntryUrl;"); }, false,
       Blog.Url("/c/travel"), "GetEntryUrl failed", {newFood, oldTravel, oldDiary}},
      {"server error on page 5", [&] { Blog.SetStatus("/c/diary/2", 500, "Internal Server Error"); }, false,
       Blog.Url("/c/diary/2"), "500 Internal Server Error", {newFood, newTravel, oldDiary}},
      {"connection reset on page 2", [&] { Blog.ResetConnection("/c/food/2"); }, false, Blog.Url("/c/food/2"),
       "Connection reset", {oldFood, oldTravel, oldDiary}},
      {"cancel at page 2",
       [&] {
         Listener.CancelWhen = [&](const std::string& line) { return line.find("/c/food/2 ") != std::string::npos; };
       },
       true, "", "", {newFood, oldTravel, oldDiary}},
      {"database write refused",
       [&] {
         Db.GetConnection().ExecuteDirect(
             "create trigger full before insert on categories_entry begin select raise(abort, 'disk full'); end");
       },
       false, "", "disk full", {oldFood, oldTravel, oldDiary}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    readOnce();
    c.breakIt();
    Listener.Lines.clear();

    EXPECT_EQ(Crawl(), c.ok);
    Listener.CancelWhen = nullptr;
    if (std::filesystem::exists(away))
      std::filesystem::rename(away, Blog.ScriptPath());

    Lines expected;
    for (const Lines& category : c.memberships)
      expected.insert(expected.end(), category.begin(), category.end());
    Lines stored = Memberships();
    std::sort(expected.begin(), expected.end());
    std::sort(stored.begin(), stored.end());
    EXPECT_EQ(stored, expected);
    EXPECT_EQ(CategoryNames(), (Lines{"0 ", "1料理", "2旅行", "3日記"}));
    Db.Query.SetSql("select url || ' ' || comment as v from comments");
    Db.Query.Open();
    EXPECT_EQ(Db.Query.Eof() ? "" : Db.Query.GetText("v"), Blog.Url("/e/2") + " 感想");
    Db.Query.Close();
    const Lines& lines = Listener.Lines;
    ASSERT_GE(lines.size(), 2u);
    if (c.ok) {
      EXPECT_EQ(lines.back(), "終了しました。");
    } else {
      EXPECT_EQ(lines[lines.size() - 2], "Error: " + c.shownUrl);
      EXPECT_NE(lines.back().find(c.message), std::string::npos) << lines.back();
    }
  }
}

// Memberships of a category the crawl does not finish are kept only while the
// category list is the one they were read with: the list the last crawl recorded,
// or, in a project never crawled since that was recorded, its categories table.
TEST_F(CategoryCrawlTest, UnreadCategoriesKeepTheirMembershipsOnlyUnderTheSameList) {
  const std::string travel = "2 " + Blog.Url("/e/4");
  const auto storeWithoutRecord = [&](const std::vector<TCategoryData>& list) {
    DeleteCategories(Db);
    InsertCategory(Db, 0, " ", "");
    for (size_t i = 0; i < list.size(); ++i)
      InsertCategory(Db, static_cast<std::int32_t>(i + 1), list[i].name, list[i].url);
    InsertCategoryMemberships(Db, 2, {Blog.Url("/e/4")});
  };
  const struct {
    std::string name;
    std::function<void()> before;
    bool travelKept;
  } cases[] = {
      {"the list recorded by the last crawl", [&] { ASSERT_TRUE(Crawl()); }, true},
      {"a list that has changed since the last crawl",
       [&] {
         ASSERT_TRUE(Crawl());
         Categories[1].name = "旅";
       },
       false},
      {"no record, the stored categories", [&] { storeWithoutRecord(Categories); }, true},
      {"no record, stored categories in another order",
       [&] { storeWithoutRecord({Categories[1], Categories[0]}); }, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Db.New(GetDbFolder() + "blog.mdb");
    Categories = {{"料理", Blog.Url("/c/food")}, {"旅行", Blog.Url("/c/travel")}};
    Blog.SetPage("/c/travel", "urls:/e/4;");
    c.before();
    Blog.SetPage("/c/travel", "urls:/e/5;");
    Listener.CancelWhen = [&](const std::string& line) { return line.find("/c/food/2 ") != std::string::npos; };

    EXPECT_TRUE(Crawl());
    Listener.CancelWhen = nullptr;

    const Lines stored = Memberships();
    EXPECT_EQ(std::count(stored.begin(), stored.end(), travel), c.travelKept ? 1 : 0);
    EXPECT_EQ(stored.size(), c.travelKept ? 4u : 3u) << "food, read to its end, has its three";
    EXPECT_EQ(CrawlList(), CategoryListText(Categories));
  }
}

}

// A category typed without its trailing slash: the server's redirect is followed,
// the script sees the final address, and the categories after it are read.
TEST_F(CategoryCrawlTest, ACategoryAddressThatRedirectsIsReadAtItsFinalAddress) {
  Blog.Redirect("/c/food", 301, "/c/food/");
  Blog.SetPage("/c/food/", "urls:/e/1|e/2;");
  ASSERT_TRUE(Crawl());
  EXPECT_EQ(Listener.Lines,
            (Lines{"転送: " + Blog.Url("/c/food") + " → " + Blog.Url("/c/food/") + " (HTTP/1.1 301 Moved)",
                   "OK: " + Blog.Url("/c/food/") + " 料理", "OK: " + Blog.Url("/c/travel") + " 旅行", "終了しました。"}));
  EXPECT_EQ(Memberships(), (Lines{"1 " + Blog.Url("/e/1"), "1 " + Blog.Url("/c/food/e/2"), "2 " + Blog.Url("/e/2")}))
      << "relative addresses resolve against where the page was read";
}
