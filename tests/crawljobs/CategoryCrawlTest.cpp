#include "TestBlog.h"

#include "crawl/Tappconfig.h"
#include "crawl/Tcategorycrawl.h"
#include "store/Tcategory.h"
#include "store/Tcategoryentry.h"
#include "store/Tkappfolder.h"
#include "store/Tprojectdb.h"

#include <gtest/gtest.h>

#include <filesystem>

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
                                  "1 " + Blog.Url("/e/1"), "2 " + Blog.Url("/e/2")}))
      << "relative URLs are stored resolved against their category page";
  EXPECT_EQ(CategoryNames(), (Lines{"0 ", "1料理", "2旅行"}));
  EXPECT_EQ(Listener.CategoryProgress, (std::vector<std::vector<int>>{{0, 2, 0}, {0, 2, 1}, {0, 2, 2}}));
}

TEST_F(CategoryCrawlTest, EmptyListsLinesAndUrls) {
  Categories.clear();
  EXPECT_TRUE(Crawl());
  EXPECT_EQ(Listener.Lines, (Lines{"終了しました。"}));
  EXPECT_EQ(CategoryNames(), (Lines{"0 "}));

  Listener.Lines.clear();
  Blog.SetPage("/c/odd", "urls:a||http://other.example/b;");
  Categories = {{"空", ""}, {"奇妙", Blog.Url("/c/odd")}};
  EXPECT_TRUE(Crawl());
  EXPECT_EQ(Listener.Lines, (Lines{"OK: " + Blog.Url("/c/odd") + " 奇妙", "終了しました。"}));
  EXPECT_EQ(CategoryNames(), (Lines{"0 ", "1空", "2奇妙"}));
  EXPECT_EQ(Memberships(), (Lines{"2 " + Blog.Url("/c/a"), "2 ", "2 http://other.example/b"}));
}

TEST_F(CategoryCrawlTest, FailuresKeepWhatWasRead) {
  Blog.SetPage("/c/travel", "fail:GetEntryUrl;");
  EXPECT_FALSE(Crawl());
  ASSERT_GE(Listener.Lines.size(), 2u);
  EXPECT_EQ(Listener.Lines[Listener.Lines.size() - 2], "Error: " + Blog.Url("/c/travel"));
  EXPECT_NE(Listener.Lines.back().find("GetEntryUrl failed"), std::string::npos) << Listener.Lines.back();
  EXPECT_EQ(CategoryNames(), (Lines{"0 ", "1料理", "2旅行"}));
  EXPECT_EQ(Memberships().size(), 4u);

  Listener.Lines.clear();
  Blog.SetPage("/c/travel", "urls:/e/2;fail:GetNextCategoryUrl;");
  EXPECT_FALSE(Crawl());
  EXPECT_NE(Listener.Lines.back().find("GetNextCategoryUrl failed"), std::string::npos);
  EXPECT_EQ(Memberships().size(), 5u) << "the page's memberships were stored before the failure";

  Listener.Lines.clear();
  Blog.SetStatus("/c/food/2", 503, "Service Unavailable");
  EXPECT_FALSE(Crawl());
  EXPECT_EQ(Listener.Lines, (Lines{"OK: " + Blog.Url("/c/food") + " 料理", "Error: " + Blog.Url("/c/food/2"),
                                   "HTTP/1.1 503 Service Unavailable"}));
  EXPECT_EQ(Memberships(), (Lines{"1 " + Blog.Url("/e/1"), "1 " + Blog.Url("/e/2")}));
}

TEST_F(CategoryCrawlTest, AMissingScriptNamesItsPath) {
  std::filesystem::remove(Blog.ScriptPath());
  EXPECT_FALSE(Crawl());
  EXPECT_EQ(Listener.Lines,
            (Lines{"Error: ", "スクリプトファイルが見つかりません。\n" + Blog.BlogType().GetScriptPath()}));
  EXPECT_EQ(CategoryNames(), (Lines{"0 "})) << "the tables are cleared first";
}

TEST_F(CategoryCrawlTest, CancelStopsBeforeTheNextRequest) {
  Listener.CancelWhen = [](const std::string& line) { return line.find("/c/food ") != std::string::npos; };
  EXPECT_TRUE(Crawl());
  EXPECT_EQ(Listener.Lines, (Lines{"OK: " + Blog.Url("/c/food") + " 料理", "終了しました。"}));
  EXPECT_EQ(CategoryNames(), (Lines{"0 ", "1料理"}));
  EXPECT_EQ(Memberships().size(), 2u) << "what was read before the cancel stays";
}

}
