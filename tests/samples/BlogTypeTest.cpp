// The bundled blog type on markup written by hand: each rule, its fallbacks, and the
// variations of real markup (attribute order, quotes, case, comments, scripts).
#include "BlogTypeScript.h"

#include "crawl/Tblogconfig.h"
#include "text/Tcodepage.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

std::string Page(const std::string& head, const std::string& body) {
  return "<!DOCTYPE html>\r\n<html><head>\r\n" + head + "</head>\r\n<body>\r\n" + body +
         "</body></html>\r\n";
}

TEST(BlogTypeFileTest, EveryShippedBlogTypeIsListedWithItsScriptHelpAndCharset) {
  TBlogConfigManager manager;
  manager.LoadFrom(BLOG_TYPE_FOLDER);
  EXPECT_TRUE(manager.GetLoadErrors().empty());
  const std::vector<std::string> names{"汎用 (HTML5)", "Hexo", "Jekyll", "Pelican", "WordPress"};
  const std::vector<TBlogConfig> types = manager.GetBlogConfigs();
  ASSERT_EQ(types.size(), names.size());
  for (size_t i = 0; i < types.size(); ++i) {
    const TBlogConfig& type = types[i];
    EXPECT_EQ(type.GetName(), names[i]);
    EXPECT_FALSE(type.GetSimpleText().empty()) << names[i];
    EXPECT_NE(TCodePage::GetInstance()->FindCodePage(type.GetEncode()), -1) << names[i];
    EXPECT_TRUE(std::filesystem::is_regular_file(type.GetScriptPath())) << names[i];
    EXPECT_TRUE(std::filesystem::is_regular_file(type.GetHelpPath())) << names[i];
    // Only the type for blogs of any kind gives way to the others in detection.
    EXPECT_EQ(type.IsFallback(), i == 0) << names[i];
  }
  EXPECT_EQ(TCodePage::GetInstance()->FindCodePage(types.front().GetEncode()), 50932);
}

class BlogTypeTest : public testing::Test {
protected:
  BlogTypeScript Script;
};

TEST_F(BlogTypeTest, NewestEntryIsTheFirstBookmarkElseTheFirstLinkOfTheFirstArticle) {
  const std::string nav = "<nav><a href=\"/\">ホーム</a> <a href=\"/about\">紹介</a></nav>\r\n";
  EXPECT_EQ(Script.Run("GetRecentEntry",
                       Page("", nav + "<!-- <a rel=\"bookmark\" href=\"/draft\"> -->"
                                      "<article><a href=\"/tag/x\">x</a>"
                                      "<h2><A HREF=\"/e/2\" REL=\"Bookmark\">二</A></h2></article>"
                                      "<a rel=bookmark href=/e/1>一</a>")),
            "/e/2");
  EXPECT_EQ(Script.Run("GetRecentEntry",
                       Page("<script>var s = '<a rel=\"bookmark\" href=\"/script\">';</script>",
                            nav + "<article class=\"post\">\r\n<h2><a class='t' href='/e/9'>九</a>"
                                  "</h2></article><article><a href=\"/e/8\">八</a></article>")),
            "/e/9");
  EXPECT_EQ(Script.Run("GetRecentEntry", Page("", nav + "<p>記事はありません</p>")), "");
  EXPECT_EQ(Script.Run("GetRecentEntry", ""), "");
}

TEST_F(BlogTypeTest, TitleIsOgTitleElseTheFirstH1ElseTheTitleElement) {
  const std::string title = "<title>窓の題 | ブログ</title>\r\n";
  const std::string h1 = "<h1 class=\"entry\">\r\n  <a href=\"/e/1\">見出し</a>の<em>題</em>\r\n</h1><h1>二つ目</h1>";
  EXPECT_EQ(Script.Title(Page(title + "<meta property=\"og:title\" content=\"OGの題\">", h1)),
            "OGの題");
  EXPECT_EQ(Script.Title(Page(title + "<meta content='OGの題' name='og:title' />", h1)), "OGの題");
  EXPECT_EQ(Script.Title(Page(title + "<meta property=\"og:type\" content=\"article\">", h1)),
            "見出しの題");
  EXPECT_EQ(Script.Title(Page(title, "<h2>小見出し</h2>")), "窓の題 | ブログ");
  EXPECT_EQ(Script.Title(Page("", "<p>題なし</p>")), "");
}

TEST_F(BlogTypeTest, TitleReferencesAreDecodedAndBlanksFolded) {
  const auto h1 = [&](const std::string& text) {
    return Script.Title(Page("", "<h1>" + text + "</h1>"));
  };
  EXPECT_EQ(h1("R&amp;D &lt;b&gt; &quot;引用&quot; &#39;x&#39; &apos;y&apos;"),
            "R&D <b> \"引用\" 'x' 'y'");
  EXPECT_EQ(h1("&#12354;&#x3044;&#X3046; &#x1F363; &copy;&hellip;"), "あいう 🍣 ©…");
  EXPECT_EQ(h1("a&nbsp;b"), "a\u00A0b");
  EXPECT_EQ(h1("&amp;lt; &unknown; & &#0; &#xD800;"), "&lt; &unknown; & \uFFFD \uFFFD");
  EXPECT_EQ(h1("\r\n\t 前後\r\n  の\t空白 \r\n"), "前後 の 空白");
  EXPECT_EQ(Script.Title(Page("<meta property=\"og:title\" content=\"A&amp;B &#x2665;\">", "")),
            "A&B ♥");
}

TEST_F(BlogTypeTest, DateIsTheFirstTimeWithDatetimeElseThePublishedTimeMeta) {
  const std::string meta = "<meta property=\"article:published_time\" content=\"2024-05-01T12:00:00+09:00\">";
  EXPECT_EQ(Script.Run("GetDate", Page(meta, "<time>昨日</time><time class=x datetime='2024/5/3 9:05'>"
                                             "5月3日</time><time datetime=\"2020-01-01\">")),
            "2024/5/3 9:05");
  EXPECT_EQ(Script.Run("GetDate", Page(meta, "<time>昨日</time>")), "2024-05-01T12:00:00+09:00");
  EXPECT_EQ(Script.Run("GetDate", Page("", "<TIME DATETIME=2024-5-3>")), "2024-5-3");
  EXPECT_EQ(Script.Run("GetDate", Page("", "<timer datetime=\"2024-5-3\"></timer>")), "");
}

TEST_F(BlogTypeTest, OlderEntryIsTheRelPrevLinkInHeadOrBody) {
  const std::string next = "<a rel=\"next\" href=\"/e/6\">次</a>";
  EXPECT_EQ(Script.Run("GetNextUrl", Page("<link rel=\"prev\" href=\"/e/4\">", next)), "/e/4");
  EXPECT_EQ(Script.Run("GetNextUrl", Page("", next + "<a href=\"/e/4\" rel=\"prev\">前</a>")), "/e/4");
  EXPECT_EQ(Script.Run("GetNextUrl", Page("", "<a class='p' rel='nofollow prev' href='/e/4?a=1&amp;b=2'>")),
            "/e/4?a=1&b=2");
  EXPECT_EQ(Script.Run("GetNextUrl", Page("", "<a\r\n  title=\"rel=prev\"\r\n  href=/e/4\r\n  rel=prev>")),
            "/e/4");
  EXPECT_EQ(Script.Run("GetNextUrl", Page("", "<a rel=\"previous\" href=\"/x\"><a rel=\"prev\">")), "");
  EXPECT_EQ(Script.Run("GetNextUrl", Page("", next)), "");
}

TEST_F(BlogTypeTest, CategoryPageListsItsBookmarksOnceEachAndNamesItsNextPage) {
  const std::string body =
      "<a href=\"/e/9\" rel=\"bookmark\">九</a> <a href=\"/e/9\" rel=\"bookmark\">続き</a>"
      "<a href=\"/tag\">タグ</a><a rel='bookmark' href='/e/7'>七</a>"
      "<a rel=\"bookmark\" href=\"\">空</a><a rel=\"bookmark\" href=\"/e/8\">八</a>";
  EXPECT_EQ(Script.Run("GetEntryUrl", Page("", body)), "/e/9\n/e/7\n/e/8");
  EXPECT_EQ(Script.Run("GetEntryUrl", Page("", "<p>なし</p>")), "");
  EXPECT_EQ(Script.Run("GetNextCategoryUrl", Page("<link rel=\"next\" href=\"page-2.html\">", body)),
            "page-2.html");
  EXPECT_EQ(Script.Run("GetNextCategoryUrl",
                       Page("<link rel=\"prev\" href=\"/c/\">", "<a href=\"page-3.html\" rel=\"next\">")),
            "page-3.html");
  EXPECT_EQ(Script.Run("GetNextCategoryUrl", Page("<link rel=\"prev\" href=\"/c/\">", body)), "");
}

TEST_F(BlogTypeTest, RelativeLinksBecomeAbsoluteWhenThePageNamesItsAddress) {
  const std::string canonical = "<link rel=\"canonical\" href=\"http://blog.example:8080/c/food/page-2.html?x=1\">";
  const std::string links =
      "<a rel=\"bookmark\" href=\"/e/1\"></a><a rel=\"bookmark\" href=\"../../e/2\"></a>"
      "<a rel=\"bookmark\" href=\"./e/3\"></a><a rel=\"bookmark\" href=\"//other.example/e/4\"></a>"
      "<a rel=\"bookmark\" href=\"https://third.example/e/5\"></a><a rel=\"bookmark\" href=\"?p=6\"></a>"
      "<a rel=\"bookmark\" href=\"../../../../e/7#c\"></a>";
  EXPECT_EQ(Script.Run("GetEntryUrl", Page(canonical, links)),
            "http://blog.example:8080/e/1\nhttp://blog.example:8080/e/2\n"
            "http://blog.example:8080/c/food/e/3\nhttp://other.example/e/4\n"
            "https://third.example/e/5\nhttp://blog.example:8080/c/food/page-2.html?p=6\n"
            "http://blog.example:8080/e/7#c");
  EXPECT_EQ(Script.Run("GetNextCategoryUrl",
                       Page("<base href='http://a.example/x/'>" + canonical, "<a rel=next href=page-3.html>")),
            "http://a.example/x/page-3.html");
  EXPECT_EQ(Script.Run("GetNextUrl",
                       Page("<meta property=\"og:url\" content=\"http://a.example/e/5.html\">",
                            "<a rel=prev href=4.html>")),
            "http://a.example/e/4.html");
  // A relative address names nothing to resolve against.
  EXPECT_EQ(Script.Run("GetNextUrl", Page("<link rel=\"canonical\" href=\"/e/5.html\">",
                                          "<a rel=prev href=4.html>")),
            "4.html");
}

} // namespace
