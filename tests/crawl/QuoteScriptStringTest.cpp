#include "script/Tscriptcontroller.h"
#include "text/Tcharconv.h"

#include <gtest/gtest.h>

#include <random>

namespace {

class EchoTest : public testing::Test {
protected:
  void SetUp() override { Controller.LoadScript("JScript", "function Echo(p){return p;}"); }

  void ExpectEcho(const std::string& text) {
    const std::string result = Controller.Call("Echo", QuoteScriptString(text));
    ASSERT_FALSE(Controller.HasError()) << Controller.GetErrorText();
    EXPECT_EQ(result, text);
  }

  TScriptController Controller;
};

// Random text from pieces that quoting has to get right.
std::string HostileText(std::mt19937& random) {
  static const std::vector<std::string> pieces = {
      "\\", "\"", "'", "\r\n", "\n", "\r", "\n\r", "\\\r\n", "\\\"", "</script>", "\t",
      "\xE2\x80\xA8", "\xE2\x80\xA9", "\xE2\x80\xA6", "表", "ソ", "能", "😀", "a", " ", "${x}",
      "\\u0041", "\x01", "\x7F", "<!--", "*/", "//", "`"};
  std::uniform_int_distribution<size_t> length(0, 40), pick(0, pieces.size() - 1);
  std::string text;
  for (size_t i = length(random); i > 0; --i)
    text += pieces[pick(random)];
  return text;
}

// Line ends become LF inside the script.
std::string Unified(const std::string& text) {
  std::string result;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r') {
      if (i + 1 < text.size() && text[i + 1] == '\n')
        ++i;
      result += '\n';
    } else {
      result += text[i];
    }
  }
  return result;
}

} // namespace

TEST(QuoteScriptStringTest, EscapesBackslashQuotesAndLineEndsOnly) {
  EXPECT_EQ(QuoteScriptString(""), "\"\"");
  EXPECT_EQ(QuoteScriptString("a\\b\"c'd\te"), "\"a\\\\b\\\"c'd\te\"");
  EXPECT_EQ(QuoteScriptString("1\r\n2\n3\r4\n\r5"), "\"1\\n2\\n3\\n4\\n\\n5\"");
  EXPECT_EQ(QuoteScriptString("表\xE2\x80\xA8\xE2\x80\xA9…"), "\"表\\u2028\\u2029…\"");
  EXPECT_EQ(QuoteScriptString("\xE2"), "\"\xE2\"");
}

TEST_F(EchoTest, LineEndsArriveAsLineFeeds) {
  EXPECT_EQ(Controller.Call("Echo", QuoteScriptString("a\r\nb\rc\nd")), "a\nb\nc\nd");
}

TEST_F(EchoTest, HostileRandomTextComesBackExactly) {
  std::mt19937 random(20261209);
  for (int i = 0; i < 2000; ++i) {
    const std::string text = HostileText(random);
    const std::string result = Controller.Call("Echo", QuoteScriptString(text));
    ASSERT_FALSE(Controller.HasError()) << Controller.GetErrorText() << " for " << text;
    ASSERT_EQ(result, Unified(text));
    // The same literal inside a larger expression goes through the engine's parser.
    const std::string parsed = Controller.Call("Echo", QuoteScriptString(text) + " + ''");
    ASSERT_FALSE(Controller.HasError()) << Controller.GetErrorText() << " for " << text;
    ASSERT_EQ(parsed, result);
  }
}

TEST_F(EchoTest, EveryCodePage932CharacterComesBackExactly) {
  std::string page;
  for (int lead = 0x81; lead <= 0xFC; ++lead) {
    if (lead > 0x9F && lead < 0xE0)
      continue;
    for (int trail = 0x40; trail <= 0xFC; ++trail)
      if (trail != 0x7F) {
        page += static_cast<char>(lead);
        page += static_cast<char>(trail);
      }
  }
  for (int single = 0x20; single <= 0xDF; ++single)
    if (single < 0x7F || single > 0xA0)
      page += static_cast<char>(single);
  ExpectEcho(ConvertCharset(page, 932));
}

TEST_F(EchoTest, OtherUnicodeSurvives) {
  ExpectEcho("😀 𠮷 \xEF\xBF\xBD \xC2\x85 \xEF\xBB\xBF end\\");
}
