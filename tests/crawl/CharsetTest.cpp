#include "text/Tcharconv.h"
#include "text/Tktextfile.h"

#include "CharsetBytes.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

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

std::string Page(const std::string& head, const std::string& body) {
  return "<html><head>" + head + "<title>" + body + "</title></head><body><p>" + body +
         "</p></body></html>";
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

// Under auto-detection a page is read as it declares itself, and detected only
// when it names no charset of the table.
TEST(CharsetTest, AutoDetectReadsWhatThePageDeclaresThenDetects) {
  const std::string kanji = "雑記 2024年5月1日";
  const std::string manyKanji = [] {
    std::string text;
    for (int i = 0; i < 40; ++i)
      text += "東京都千代田区丸内一丁目、天気晴朗、散歩日和。";
    return text;
  }();
  const std::string katakana = "ｱｲｳｴｵｶｷｸ";
  const std::string padding = "<!-- " + std::string(5000, 'x') + " -->";
  struct Case {
    const char* Name;
    std::string Utf8Page;
    const char* Charset;
  };
  const std::vector<Case> cases = {
      {"EUC-JP with no kana", Page("", kanji), "EUC-JP"},
      {"EUC-JP mostly kanji", Page("", manyKanji), "EUC-JP"},
      {"ISO-2022-JP escaping first after 8 KB", Page(padding + padding, "日本語のページ"), "ISO-2022-JP"},
      {"Shift_JIS", Page("", "日本語のブログの目次を作成します。"), "windows-31j"},
      {"UTF-8", Page("", "日本語のブログの目次"), "UTF-8"},
      {"byte order mark before a contrary meta",
       "\xEF\xBB\xBF" + Page("<meta charset=\"Shift_JIS\">", "ｱｲｳ 日記"), "UTF-8"},
      {"meta charset of half-width kana that read as EUC-JP too",
       Page("<meta charset=shift_jis>", katakana), "windows-31j"},
      {"meta http-equiv",
       Page("<META HTTP-EQUIV='content-type' CONTENT='text/html; charset=\"x-sjis\"'>", katakana),
       "windows-31j"},
      {"meta after a commented-out one",
       Page("<!-- <meta charset=\"EUC-JP\"> --><meta content=\"text/html;charset=Shift_JIS\" "
            "http-equiv=\"Content-Type\" />",
            katakana),
       "windows-31j"},
      {"meta charset outside the table", Page("<meta charset=\"windows-1252\">", kanji), "EUC-JP"},
      {"meta asking for detection", Page("<meta charset=\"JISAutoDetect\">", kanji), "EUC-JP"},
      {"meta after the first 4 KB", Page(padding + "<meta charset=\"Shift_JIS\">", kanji), "EUC-JP"},
      {"meta cut off at 4 KB into a name of the table",
       Page("<!-- " + std::string(4057, 'x') + " --><meta charset=\"JISAutoDetect\">", kanji), "EUC-JP"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(ConvertCharset(EncodeAs(c.Utf8Page, c.Charset), 50932), c.Utf8Page) << c.Name;
}

TEST(CharsetTest, ExplicitCharsetsAreObeyedWhateverThePageDeclares) {
  const std::string eucPage = EncodeAs(Page("<meta charset=\"EUC-JP\">", "雑記"), "EUC-JP");
  EXPECT_NE(ConvertCharset(eucPage, 932).find("ｻｨｵｭ"), std::string::npos);
  EXPECT_NE(ConvertCharset(eucPage, 65001).find(Replacement), std::string::npos);
  EXPECT_NE(ConvertCharset(eucPage, 51932).find("雑記"), std::string::npos);
  const std::string sjisPage = EncodeAs(Page("<meta charset=\"Shift_JIS\">", "ｱｲｳｴｵｶ"), "windows-31j");
  EXPECT_EQ(ConvertCharset(sjisPage, 51932).find("ｱｲｳ"), std::string::npos);
}

// Pieces encoded apart meet as one escape right after another; SO and SI shift
// to half-width katakana and back.
TEST(CharsetTest, Iso2022JpReadsAdjacentEscapesAndShiftedKatakana) {
  const std::string pieces = EncodeAs("日記", "ISO-2022-JP") + EncodeAs("テスト", "ISO-2022-JP");
  ASSERT_NE(pieces.find("\x1B(B\x1B$B"), std::string::npos);
  const std::string shifted = EncodeAs("日記", "ISO-2022-JP") + "ab\x0E\x31\x32\x0F" "cd";
  for (int codePage : {50220, 50932}) {
    EXPECT_EQ(ConvertCharset(pieces, codePage), "日記テスト") << codePage;
    EXPECT_EQ(ConvertCharset(shifted, codePage), "日記abｱｲcd") << codePage;
    EXPECT_EQ(ConvertCharset("\x1B$B\x1B(I12\x1B(B\x1B(J\\~", codePage), "ｱｲ¥‾") << codePage;
  }
  EXPECT_EQ(ConvertCharset(pieces, 50221), "日記テスト");
}
