// The shipped blog type on pages built to make a backtracking scan take the square
// of their size: each reads them in one pass, well inside the script time limit.
#include "BlogTypeScript.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string Repeated(const std::string& piece, size_t times) {
  std::string text;
  text.reserve(piece.size() * times);
  for (size_t i = 0; i < times; ++i)
    text += piece;
  return text;
}

} // namespace

TEST(BlogTypeHostilePageTest, PagesFullOfUnclosedMarkupAreReadInOnePass) {
  BlogTypeScript script;
  // A busy machine may take a while over pages of 2 MB; a scan that went back over
  // them from every opening would take hours.
  script.SetTimeLimit(std::chrono::minutes(2));
  struct Case {
    const char* Name;
    const char* Function;
    std::string Page;
    std::string Expected;
  };
  const std::string bookmark = "<a rel=\"bookmark\" href=\"/e/1\">一</a>";
  const Case cases[] = {
      {"unclosed comments", "GetTitle", "<h1>題名</h1>" + Repeated("<!-- x\n", 300000), "題名"},
      {"unclosed scripts", "GetTitle", "<h1>題名</h1>" + Repeated("<script>x\n", 200000), "題名"},
      {"unclosed styles", "GetTitle", "<h1>題名</h1>" + Repeated("<style>x\n", 200000), "題名"},
      {"start tags that never end", "GetRecentEntry", bookmark + Repeated("<a x ", 400000), "/e/1"},
      {"quotes that never close", "GetRecentEntry", bookmark + Repeated("<a \" ", 400000), "/e/1"},
      {"closed quotes in a tag that never ends", "GetNextUrl",
       "<link rel=\"prev\" href=\"/e/0\">" + Repeated("<link a=\"\" b='' ", 150000), "/e/0"},
      {"articles whose start tag never ends", "GetRecentEntry", Repeated("<article ", 400000), ""},
      {"headings never closed", "GetTitle",
       Repeated("<h1>x ", 300000) + "<title>題</title>", "題"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(script.Run(c.Function, c.Page), c.Expected) << c.Name;
}
