// Pages built to exhaust the parser: each must parse and answer in about linear time.
#include "html/HtmlDocument.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string Repeated(const std::string& part, size_t count) {
  std::string text;
  text.reserve(part.size() * count);
  for (size_t i = 0; i < count; ++i)
    text += part;
  return text;
}

} // namespace

// Only the innermost element is asked for: each element's own markup holds all
// below it, so that asking for every one costs the square of the depth.
TEST(HostileHtmlTest, DeepNestingParsesAndAnswers) {
  constexpr size_t Depth = 100000;
  const struct {
    std::string Html;
    std::string CountXPath;
    std::string Count;
  } cases[] = {
      {Repeated("<div>", Depth) + "<i>底</i>", "count(//div)", "100000"},
      {Repeated("<div>", Depth) + "<i>底</i>" + Repeated("</div>", Depth), "count(//div)", "100000"},
      {Repeated("<span><b>", Depth / 2) + "<i>底</i>", "count(//span) + count(//b)", "100000"},
      {Repeated("<table><tr><td>", Depth / 3) + "<i>底</i>", "count(//td)", "33333"},
  };
  for (const auto& c : cases) {
    const HtmlDocument document(c.Html);
    EXPECT_EQ(document.Text(), "底");
    EXPECT_EQ(document.Query(c.CountXPath)[0].Text, c.Count);
    EXPECT_EQ(document.Query("//*[not(*)]")[0].Html, "<i>底</i>");
    // A plain path, which libxml2 2.9 would stream and stop 10,000 levels down.
    ASSERT_EQ(document.Query("//i").size(), 1u);
  }
}

TEST(HostileHtmlTest, HugeAndBrokenInputParses) {
  const std::string hugeValue(10 * 1000 * 1000, 'v');
  const std::string entry = "<div class=\"entry\"><h2><a href=\"/archives/1.html\">記事のタイトル</a></h2>"
                            "<p>今日は天気が良かったので、近所の公園まで散歩に出かけました。</p></div>\n";
  const struct {
    std::string Name;
    std::string Html;
    std::string XPath;
    std::string Text;
  } cases[] = {
      {"30 MB page", Repeated(entry, 30 * 1000 * 1000 / entry.size()), "count(//a)",
       std::to_string(30 * 1000 * 1000 / entry.size())},
      {"huge attribute", "<a title=\"" + hugeValue + "\" href=\"x\">y</a>", "string-length(//a/@title)",
       std::to_string(hugeValue.size())},
      {"unclosed attribute", "<a href=\"" + hugeValue, "count(//a)", "1"},
      {"huge tag name", "<" + hugeValue + ">x", "string(//body)", "x"},
      {"unclosed comment", "<p>a</p><!--" + hugeValue, "string(//p)", "a"},
      {"NUL bytes", std::string("\0<p>a\0b</p>\0", 12), "string(//body)", "\uFFFDa\uFFFDb\uFFFD"},
      {"invalid UTF-8", "\xFF<p>a\xC3</p><p>\xED\xA0\x80</p>", "count(//p)", "3"},
      {"many attributes", "<p " + Repeated("a=1 ", 100000) + ">x</p>", "count(//p/@*)", "1"},
      {"bare <", Repeated("a < b ", 1000000), "string-length(//body) > 0", "true"},
      {"unknown references", Repeated("&abcdefgh;&#x", 1000000) + "<p>x</p>", "string(//p[last()])", "x"},
  };
  for (const auto& c : cases) {
    const HtmlDocument document(c.Html);
    EXPECT_EQ(document.Query(c.XPath)[0].Text, c.Text) << c.Name;
  }
}
