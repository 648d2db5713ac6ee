#include "crawl/Tcharconv.h"
#include "crawl/Tktextfile.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

const std::string Replacement = "\xEF\xBF\xBD";

std::string ErrorOf(const std::string& text, int codePage) {
  try {
    ConvertCharset(text, codePage);
  } catch (const std::runtime_error& error) {
    return error.what();
  }
  return "no error";
}

} // namespace

TEST(CharsetTest, ShiftJisWithBackslashSecondBytesKanaAndNecSpecials) {
  EXPECT_EQ(ConvertCharset("\x95\x5C\x83\x5C\x94\x5C", 932), "表ソ能");
  EXPECT_EQ(ConvertCharset("\xB1\xB2\xB3\xB4\xB5", 932), "ｱｲｳｴｵ");
  EXPECT_EQ(ConvertCharset("\x87\x40\x87\x8A", 932), "①㈱");
  EXPECT_EQ(ConvertCharset("<p>\x93\xFA\x96\x7B\x8C\xEA\\~</p>", 932), "<p>日本語\\~</p>");
}

TEST(CharsetTest, EucJpIso2022JpAndUtf7) {
  EXPECT_EQ(ConvertCharset("\xB4\xC1\xBB\xFA\xA4\xC8\xA4\xAB\xA4\xCA", 51932), "漢字とかな");
  const std::string jis = "\x1B\x24\x42\x46\x7C\x4B\x5C\x38\x6C\x1B\x28\x42";
  EXPECT_EQ(ConvertCharset(jis, 50220), "日本語");
  EXPECT_EQ(ConvertCharset(jis, 50221), "日本語");
  EXPECT_EQ(ConvertCharset("a\x1B(I12\x1B(Bb", 50221), "aｱｲb");
  EXPECT_EQ(ConvertCharset("x +ZeVnLIqe- y", 65000), "x 日本語 y");
}

TEST(CharsetTest, Utf8PassesThroughWithEmojiAndInvalidBytesReplaced) {
  const std::string page = "<title>絵文字 😀 𠮷野家</title>";
  EXPECT_EQ(ConvertCharset(page, 65001), page);
  EXPECT_EQ(ConvertCharset("a\xFF" "b", 65001), "a" + Replacement + "b");
  EXPECT_EQ(ConvertCharset("\xED\xA0\x80", 65001).find('\xED'), std::string::npos);
}

TEST(CharsetTest, UnmappedSequencesBecomeReplacementCharacters) {
  EXPECT_EQ(ConvertCharset("a\x85\x40" "b", 932), "a" + Replacement + "b");
  EXPECT_EQ(ConvertCharset("a\x82", 932), "a" + Replacement);
  EXPECT_EQ(ConvertCharset("\xB4\xC1\xFF", 51932), "漢" + Replacement);
}

TEST(CharsetTest, ResultEndsAtFirstNul) {
  EXPECT_EQ(ConvertCharset("ab +AAA-cd", 65000), "ab ");
  EXPECT_EQ(ConvertCharset(std::string("ab\0cd", 5), 932), "ab");
}

TEST(CharsetTest, EmptyTextGivesEmptyResult) {
  for (int codePage : {932, 50220, 50221, 50932, 51932, 65000, 65001})
    EXPECT_EQ(ConvertCharset("", codePage), "") << codePage;
}

TEST(CharsetTest, UnknownCodePageIsRefusedWithTheConverterMessage) {
  EXPECT_EQ(ErrorOf("abc", -1), "IEコンポーネントの初期化に失敗しました。(2)");
  EXPECT_EQ(ErrorOf("abc", 1252), "IEコンポーネントの初期化に失敗しました。(2)");
}

TEST(CharsetTest, AutoDetectTellsTheFourJapaneseEncodingsApart) {
  const std::string sentence = "日本語のブログの目次を作成します。今日は天気が良いので散歩に出かけました。";
  std::string utf8;
  for (int i = 0; i < 8; ++i)
    utf8 += sentence;
  const std::string sjis =
      "\x93\xFA\x96\x7B\x8C\xEA\x82\xCC\x83\x75\x83\x8D\x83\x4F\x82\xCC\x96\xDA\x8E\x9F\x82\xF0"
      "\x8D\xEC\x90\xAC\x82\xB5\x82\xDC\x82\xB7\x81\x42";
  const std::string euc =
      "\xC6\xFC\xCB\xDC\xB8\xEC\xA4\xCE\xA5\xD6\xA5\xED\xA5\xB0\xA4\xCE\xCC\xDC\xBC\xA1\xA4\xF2"
      "\xBA\xEE\xC0\xAE\xA4\xB7\xA4\xDE\xA4\xB9\xA1\xA3";
  const std::string expected = "日本語のブログの目次を作成します。";
  std::string sjisPage, eucPage, expectedPage;
  for (int i = 0; i < 8; ++i) {
    sjisPage += sjis;
    eucPage += euc;
    expectedPage += expected;
  }
  EXPECT_EQ(ConvertCharset(sjisPage, 50932), expectedPage);
  EXPECT_EQ(ConvertCharset(eucPage, 50932), expectedPage);
  EXPECT_EQ(ConvertCharset(utf8, 50932), utf8);
  EXPECT_EQ(ConvertCharset("\x1B\x24\x42\x46\x7C\x4B\x5C\x38\x6C\x1B\x28\x42", 50932), "日本語");
}

TEST(CharsetTest, SettingsTextIsUtf8WithOrWithoutMarkElseCodePage932) {
  EXPECT_EQ(DecodeTextBytes("\xEF\xBB\xBFname=日記"), "name=日記");
  EXPECT_EQ(DecodeTextBytes("name=日記"), "name=日記");
  EXPECT_EQ(DecodeTextBytes("name=\x95\x5C"), "name=表");
  EXPECT_TRUE(IsValidUtf8("plain ascii and 日本語 and 😀"));
  EXPECT_FALSE(IsValidUtf8("\xC0\x80"));
  EXPECT_FALSE(IsValidUtf8("\xF4\x90\x80\x80"));
  EXPECT_FALSE(IsValidUtf8("abc\xE6\x97"));
}
