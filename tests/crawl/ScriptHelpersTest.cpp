// The HTML helpers as a blog type's script sees them, through the real script host.
#include "script/Tscriptcontroller.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const std::string Page =
    "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=Shift_JIS\">"
    "<title>日記 &amp; 雑記</title>"
    "<script type=\"application/ld+json\">{\"headline\": \"見出し &amp; <b>\"}</script></head><body>"
    "<article><h2><a href=\"/日記/1.html\" rel=\"bookmark\">一つ目 &lt;1&gt;</a></h2>"
    "<time datetime=\"2024-05-01\">5月1日</time></article>"
    "<article><h2><a href=\"2.html\" rel=\"bookmark\" class=\"x\">二つ目</a></h2>"
    "<time datetime=\"2024-05-02\">5月2日</time><p>a < b の話</p></article></body></html>";

const std::string Script =
    "function Decoded(page) { return DecodeHtml('&lt;&#12354;&#x3042;&hellip;&foo;'); }\n"
    "function Text(page) { return HtmlText(page); }\n"
    "function Links(page) {\n"
    "  return QueryHtml(page, \"//a[@rel='bookmark']\").map(function (found) {\n"
    "    return [found.name, found.text, found.attributes.href, Object.keys(found.attributes).join()].join(' ');\n"
    "  }).join('\\n');\n"
    "}\n"
    "function Shape(page) { return JSON.stringify(QueryHtml(page, '//h2')[1]); }\n"
    "function Values(page) {\n"
    "  return [QueryHtml(page, 'count(//a)'), QueryHtml(page, '//time/@datetime'), QueryHtml(page, '//p/text()'),\n"
    "          QueryHtml(page, '//table')].map(JSON.stringify).join('\\n');\n"
    "}\n"
    "function JsonLd(page) {\n"
    "  return JSON.parse(QueryHtml(page, \"//script[@type='application/ld+json']\")[0].text).headline;\n"
    "}\n"
    "function Nested(page) {\n"
    "  return QueryHtml(page, '//article').map(function (article) {\n"
    "    return QueryHtml(article.html, './/time/@datetime')[0].text + ' ' + HtmlText(article.html);\n"
    "  }).join('\\n');\n"
    "}\n"
    "function Resolved(page) {\n"
    "  var base = QueryHtml(page, \"//a[@class='x']/@href\")[0].text;\n"
    "  return [ResolveUrl('http://example.jp/日記/1.html', base), ResolveUrl('http://example.jp/a/', '../b c?q=%E6#top'),\n"
    "          ResolveUrl('http://example.jp/a/', '//cdn.example.jp/x'), ResolveUrl('/relative/', 'x'),\n"
    "          ResolveUrl('http://[::1', 'x')].join('\\n');\n"
    "}\n"
    "function Missing(page) { return [DecodeHtml(), HtmlText(null), typeof helpers].join(); }\n"
    "function BadXPath(page) {\n"
    "  QueryHtml(page, '//a');\n"
    "  return QueryHtml(page, '//a[@href');\n"  // line 30
    "}\n";

class ScriptHelpersTest : public testing::Test {
protected:
  void SetUp() override {
    Controller.LoadScript("JScript", Script);
    ASSERT_FALSE(Controller.HasError()) << Controller.GetErrorText();
  }
  TScriptController Controller;
};

} // namespace

TEST_F(ScriptHelpersTest, EveryHelperAnswersAScript) {
  const struct {
    const char* Function;
    std::string Value;
  } cases[] = {
      {"Decoded", "<ああ…&foo;"},
      {"Text", "日記 & 雑記 一つ目 <1> 5月1日 二つ目 5月2日 a < b の話"},
      {"Links", "a 一つ目 <1> /日記/1.html href,rel\na 二つ目 2.html href,rel,class"},
      {"Shape", "{\"name\":\"h2\",\"text\":\"二つ目\",\"html\":\"<h2><a href=\\\"2.html\\\" rel=\\\"bookmark\\\" "
                "class=\\\"x\\\">二つ目</a></h2>\",\"attributes\":{}}"},
      {"Values", "[{\"name\":\"\",\"text\":\"2\",\"html\":\"\",\"attributes\":{}}]\n"
                 "[{\"name\":\"datetime\",\"text\":\"2024-05-01\",\"html\":\"\",\"attributes\":{}},"
                 "{\"name\":\"datetime\",\"text\":\"2024-05-02\",\"html\":\"\",\"attributes\":{}}]\n"
                 "[{\"name\":\"#text\",\"text\":\"a < b の話\",\"html\":\"\",\"attributes\":{}}]\n"
                 "[]"},
      {"JsonLd", "見出し &amp; <b>"},
      {"Nested", "2024-05-01 一つ目 <1> 5月1日\n2024-05-02 二つ目 5月2日 a < b の話"},
      {"Resolved", "http://example.jp/%E6%97%A5%E8%A8%98/2.html\nhttp://example.jp/b%20c?q=%E6#top\n"
                   "http://cdn.example.jp/x\n\n"},
      {"Missing", ",,undefined"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Controller.Call(c.Function, QuoteScriptString(Page)), c.Value) << c.Function;
    EXPECT_FALSE(Controller.HasError()) << c.Function << ": " << Controller.GetErrorText();
  }
}

TEST_F(ScriptHelpersTest, AnInvalidXPathIsAnErrorOnTheScriptsLine) {
  EXPECT_EQ(Controller.Call("BadXPath", QuoteScriptString(Page)), "");
  EXPECT_TRUE(Controller.HasError());
  const std::string error = Controller.GetErrorText();
  EXPECT_EQ(error.substr(0, 3), "30,") << error;
  EXPECT_NE(error.find("Error: QueryHtml: XPath「//a[@href」"), std::string::npos) << error;
}

TEST(ScriptHelpersOwnFunctionTest, AScriptsOwnFunctionReplacesTheHelperOfItsName) {
  TScriptController controller;
  const std::string own = "function DecodeHtml(text) { return 'own ' + text; }\n"
                          "function Use(page) { return DecodeHtml(page) + ' ' + HtmlText('<b>&amp;</b>'); }\n";
  // The first script runs in the engine the host starts with, a later one in a fresh engine.
  for (int load = 0; load < 2; ++load) {
    controller.LoadScript("JScript", own);
    EXPECT_EQ(controller.Call("Use", "\"&amp;\""), "own &amp; &") << load;
    EXPECT_FALSE(controller.HasError()) << controller.GetErrorText();
  }
}
