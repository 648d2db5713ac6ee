// Detection through the real script host: blog types in a folder of their own, a
// blog on loopback whose top page each of them may or may not recognise.
#include "LoopbackServer.h"
#include "crawl/BlogDetector.h"
#include "net/Tappconfig.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

struct BlogType {
  std::string file;
  std::string ini;     // after [CONFIG] name=...
  std::string script;
};

// "engine" knows pages marked engine-9 and lists their categories from the page
// /cats that GetCategoryListUrl names; "any" recognises every page but is a fallback;
// "late" is a second engine type; "broken" fails; "old" defines no Detect.
const BlogType Types[] = {
    {"any", "name=どれでも\nfallback=1\n", "function Detect(p, u) { return 'HTML (' + u + ')'; }"},
    {"broken", "name=壊れた\n", "function Detect(p) { throw new Error('detect failed'); }"},
    {"engine", "name=エンジン\n",
     "function Detect(p) { var m = /engine-(\\d+)/.exec(p); return m ? 'Engine ' + m[1] + ' (generator)' : ''; }\n"
     "function GetCategoryListUrl(p, u) { return '/cats'; }\n"
     "function GetCategoryList(p, u) {\n"
     "  return p.split(';').map(function (c) { return c.replace('=', '\\t'); }).join('\\n');\n"
     "}\n"},
    {"late", "name=後発\n", "function Detect(p) { return p.indexOf('late') >= 0 ? ' late \\n' : ''; }"},
    {"old", "name=旧式\n", "function GetRecentEntry(p) { return ''; } // Detect is not defined here"},
};

std::optional<std::string> Blog(const HttpRequest& request) {
  if (request.Target == "/")
    return HttpResponse(301, "Moved", "", "Location: /top/\r\n");
  if (request.Target == "/top/")
    return HttpResponse(200, "OK", "<html>engine-9 late</html>", "Content-Type: text/html; charset=utf-8\r\n");
  if (request.Target == "/plain/")
    return HttpResponse(200, "OK", "<html>nothing</html>", "Content-Type: text/html; charset=utf-8\r\n");
  if (request.Target == "/cats")
    return HttpResponse(200, "OK", "日記=/c/diary/; 料理 = http://example.org/c/food/ ;=/nameless/;空=;壊れ=http://[::1",
                        "Content-Type: text/plain; charset=utf-8\r\n");
  return HttpResponse(404, "Not Found", "");
}

class BlogDetectorTest : public testing::Test {
protected:
  BlogDetectorTest() {
    TAppConfig::GetInstance()->SetUseProxy(false);
    for (const BlogType& type : Types) {
      WriteFile(Folder.File(type.file + ".ini"), "[CONFIG]\n" + type.ini + "encode=UTF-8\n[SCRIPT]\nfile=" +
                                                     type.file + ".js\nlanguage=JavaScript\n");
      WriteFile(Folder.File(type.file + ".js"), type.script);
    }
    Registry.LoadFrom(Folder.Path());
  }

  TempFolder Folder;
  TBlogConfigManager Registry;
  LoopbackServer Server{Blog};
  BlogDetector Detector;
};

} // namespace

TEST_F(BlogDetectorTest, TheBlogTypesThatRecogniseThePageComeBestFirst) {
  Detector.Fetch(Server.Url("/"));
  EXPECT_EQ(Detector.GetPageUrl(), Server.Url("/top/")) << "the address after redirects";
  const auto found = Detector.Detect(Registry.GetBlogConfigs());
  std::vector<std::string> lines;
  for (const DetectedBlogType& type : found)
    lines.push_back(type.BlogType.GetName() + "|" + type.Reason);
  EXPECT_EQ(lines, (std::vector<std::string>{"エンジン|Engine 9 (generator)", "後発|late",
                                             "どれでも|HTML (" + Server.Url("/top/") + ")"}));
  ASSERT_EQ(Detector.GetErrors().size(), 1u);
  EXPECT_NE(Detector.GetErrors().front().find("壊れた: "), std::string::npos);
  EXPECT_NE(Detector.GetErrors().front().find("detect failed"), std::string::npos);

  // Lines without a name or an address are left out; addresses are made absolute
  // against the page the list came from.
  const auto categories = Detector.Categories(found.front().BlogType);
  ASSERT_EQ(categories.size(), 2u);
  EXPECT_EQ(categories[0].name + "|" + categories[0].url, "日記|" + Server.Url("/c/diary/"));
  EXPECT_EQ(categories[1].name + "|" + categories[1].url, "料理|http://example.org/c/food/");
  EXPECT_TRUE(Detector.Categories(found[1].BlogType).empty()) << "no GetCategoryList";

  Detector.Fetch(Server.Url("/plain/"));
  const auto plain = Detector.Detect(Registry.GetBlogConfigs());
  ASSERT_EQ(plain.size(), 1u);
  EXPECT_TRUE(plain.front().BlogType.IsFallback());
}

TEST_F(BlogDetectorTest, APageThatCannotBeFetchedFailsWithTheReason) {
  try {
    Detector.Fetch(Server.Url("/missing/"));
    FAIL() << "no error";
  } catch (const std::runtime_error& error) {
    EXPECT_STREQ(error.what(), "404 ページが見つかりません (HTTP/1.1 404 Not Found)");
  }
}
