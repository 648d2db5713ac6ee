#include "crawl/Tcategoryparser.h"
#include "crawl/Tentryparser.h"
#include "text/Tktextlines.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

TEST(ParserTest, LinesEndAtCrLfOrBoth) {
  using Lines = std::vector<std::string>;
  EXPECT_EQ(SplitLines(""), Lines{});
  EXPECT_EQ(SplitLines("a"), Lines{"a"});
  EXPECT_EQ(SplitLines("a\n"), Lines{"a"});
  EXPECT_EQ(SplitLines("a\n\nb"), (Lines{"a", "", "b"}));
  EXPECT_EQ(SplitLines("a\r\nb\rc\n\r\n"), (Lines{"a", "b", "c", ""}));
  EXPECT_EQ(SplitLines(" a \n a "), (Lines{" a ", " a "}));
  EXPECT_EQ(SplitLines("\n"), Lines{""});
}

TEST(ParserTest, TitlesLoseControlBytesButKeepFullWidthBlanks) {
  EXPECT_EQ(TrimControlBytes(" \t\r\n題名\x01 \n"), "題名");
  EXPECT_EQ(TrimControlBytes("\u3000題名\u3000"), "\u3000題名\u3000");
  EXPECT_EQ(TrimControlBytes(" \t "), "");
}

TEST(ParserTest, EntryParserRaisesScriptErrorsAndStopsTheParse) {
  TEntryParser parser;
  parser.LoadScript("JScript",
                    "var calls = [];\r\n"
                    "function GetDate(p) { calls.push('date'); return p; }\r\n"
                    "function GetTitle(p) { calls.push('title');\r\n"
                    "  if (p == 'bad') throw new Error('no title');\r\n"
                    "  return '  ' + p + '\\t\\n'; }\r\n"
                    "function GetNextUrl(p) { calls.push('next'); return calls.join(','); }\r\n");
  const TParsedEntry parsed = parser.Parse("2024/5/1");
  EXPECT_EQ(parsed.Date, "2024/5/1");
  EXPECT_EQ(parsed.Title, "2024/5/1");
  EXPECT_EQ(parsed.NextUrl, "date,title,next");
  try {
    parser.Parse("bad");
    FAIL() << "a script error must raise";
  } catch (const std::runtime_error& e) {
    EXPECT_EQ(std::string(e.what()).rfind("4,", 0), 0u) << e.what();
    EXPECT_NE(std::string(e.what()).find("no title"), std::string::npos) << e.what();
  }
  EXPECT_EQ(parser.GetNextUrl(""), "date,title,next,date,title,next") << "GetNextUrl was not called";
}

TEST(ParserTest, CategoryParserRecordsErrorsWithoutRaising) {
  TCategoryParser parser;
  parser.LoadScript("JavaScript",
                    "function GetEntryUrl(p) { if (p == 'bad') throw 'broken'; return p; }\r\n"
                    "function GetNextCategoryUrl(p) { return p + '?next'; }\r\n");
  EXPECT_EQ(parser.GetEntryUrl("a\r\n\r\nb\na"), (std::vector<std::string>{"a", "", "b", "a"}));
  EXPECT_FALSE(parser.HasError());
  EXPECT_TRUE(parser.GetEntryUrl("bad").empty());
  EXPECT_TRUE(parser.HasError());
  EXPECT_EQ(parser.GetNextCategoryUrl("/c/1"), "/c/1?next");
  EXPECT_FALSE(parser.HasError());
}

}
