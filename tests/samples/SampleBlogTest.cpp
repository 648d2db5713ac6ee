#include "ServerProcess.h"

#include "SampleBlog.h"
#include "support/TempFolder.h"
#include "text/Tcharconv.h"
#include "text/Tcodepage.h"
#include "text/Tkdatetext.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <set>

namespace {

TSampleBlog MakeBlog(TSampleCharset charset, int entries = 60, int perPage = 10) {
  TSampleBlogOptions options;
  options.Entries = entries;
  options.EntriesPerPage = perPage;
  options.Charset = charset;
  return TSampleBlog(options);
}

std::string FileName(const std::string& path) {
  return path.back() == '/' ? path.substr(1) + "index.html" : path.substr(1);
}

class SampleBlogCharsetTest : public testing::TestWithParam<TSampleCharset> {};

TEST_P(SampleBlogCharsetTest, EveryPageIsInTheCharsetItDeclares) {
  const TSampleBlog blog = MakeBlog(GetParam());
  const std::map<std::string, std::string> texts = blog.PageTexts();
  const std::map<std::string, std::string> files = blog.Files();
  ASSERT_EQ(files.size(), texts.size());
  const std::regex declared("<meta charset=\"([^\"]+)\">");
  for (const auto& [path, text] : texts) {
    const std::string& bytes = files.at(FileName(path));
    std::smatch match;
    ASSERT_TRUE(std::regex_search(bytes, match, declared)) << path;
    EXPECT_EQ(match[1], SampleCharsetName(GetParam())) << path;
    // The program's own converter, by the declared name and by detection, gives
    // back exactly the text the page was made from.
    const int codePage = TCodePage::GetInstance()->FindCodePage(match[1]);
    EXPECT_EQ(ConvertCharset(bytes, codePage), text) << path;
    EXPECT_EQ(ConvertCharset(bytes, 50932), text) << path;
    EXPECT_EQ(bytes.find("\xEF\xBF\xBD"), std::string::npos) << path;
  }
}

TEST_P(SampleBlogCharsetTest, CategoriesAndPagesAgreeWithTheEntries) {
  const TSampleBlog blog = MakeBlog(GetParam(), 60, 4);
  const std::map<std::string, std::string> files = blog.Files();
  std::multiset<std::pair<int, int>> memberships;
  for (int number = 1; number <= 60; ++number)
    for (int category : TSampleBlog::EntryCategories(number))
      memberships.insert({category, number});
  std::multiset<std::pair<int, int>> listed;
  size_t expectedFiles = 1 + 60;
  for (int category = 0; category < TSampleBlog::CategoryCount; ++category) {
    const std::vector<int> numbers = blog.CategoryEntries(category);
    EXPECT_TRUE(std::is_sorted(numbers.rbegin(), numbers.rend()));
    for (int number : numbers)
      listed.insert({category, number});
    const int pages = blog.CategoryPageCount(category);
    EXPECT_EQ(pages, (static_cast<int>(numbers.size()) + 3) / 4);
    expectedFiles += pages;
    for (int page = 1; page <= pages; ++page)
      EXPECT_TRUE(files.contains(FileName(TSampleBlog::CategoryPath(category, page))));
    EXPECT_FALSE(files.contains(FileName(TSampleBlog::CategoryPath(category, pages + 1))));
  }
  EXPECT_EQ(listed, memberships);
  EXPECT_EQ(files.size(), expectedFiles);
  // Some entries have no category, some have two.
  EXPECT_TRUE(TSampleBlog::EntryCategories(11).empty());
  EXPECT_EQ(TSampleBlog::EntryCategories(14).size(), 2u);
}

INSTANTIATE_TEST_SUITE_P(Charsets, SampleBlogCharsetTest,
                         testing::Values(TSampleCharset::Utf8, TSampleCharset::ShiftJis,
                                         TSampleCharset::EucJp),
                         [](const auto& info) {
                           const std::string name = SampleCharsetName(info.param);
                           return name == "UTF-8" ? "Utf8" : name == "EUC-JP" ? "EucJp" : "ShiftJis";
                         });

TEST(SampleBlogTest, ShiftJisPagesHoldCharactersWhoseSecondByteIsABackslash) {
  const std::map<std::string, std::string> files = MakeBlog(TSampleCharset::ShiftJis).Files();
  const std::string& entry = files.at("entry/8.html");
  for (const char* character : {"\x95\x5C", "\x83\x5C", "\x94\x5C"})
    EXPECT_NE(entry.find(character), std::string::npos);
  EXPECT_NE(files.at("entry/12.html").find("\x83\x5C\x81\x45\x95\x5C\x81\x45\x94\x5C"),
            std::string::npos);
}

TEST(SampleBlogTest, RawEmojiOnlyInUtf8) {
  const std::string emoji = "\xF0\x9F\x8D\xA3";
  EXPECT_NE(MakeBlog(TSampleCharset::Utf8).Files().at("entry/5.html").find(emoji),
            std::string::npos);
  EXPECT_EQ(MakeBlog(TSampleCharset::Utf8).EntryTitle(5), "寿司 🍣 とビール 🍺 5");
  const TSampleBlog eucJp = MakeBlog(TSampleCharset::EucJp);
  EXPECT_NE(eucJp.Files().at("entry/5.html").find("&#x1F363;"), std::string::npos);
  EXPECT_EQ(eucJp.EntryTitle(5), "寿司 🍣 とビール 5");
}

TEST(SampleBlogTest, DatesRiseWithTheEntryAndAreWrittenInSevenForms) {
  std::set<std::string> shapes;
  TSampleDateTime before;
  for (int number = 1; number <= 60; ++number) {
    const TSampleDateTime date = TSampleBlog::EntryDateTime(number);
    EXPECT_LT(std::tie(before.Year, before.Month, before.Day),
              std::tie(date.Year, date.Month, date.Day));
    before = date;
    const std::string digits =
        std::regex_replace(TSampleBlog::EntryDateText(number), std::regex("[0-9]+"), "9");
    shapes.insert(std::regex_replace(digits, std::regex("[A-Z][a-z]+"), "Aaa"));
  }
  EXPECT_EQ(shapes, (std::set<std::string>{
                        "9/9/9 9:9", "9-9-9T9:9:9+9:9", "9年9月9日 9時9分", "9-9-9",
                        "9.9.9 9:9:9", "9-9-9T9:9:9.9Z", "Aaa, 9 Aaa 9 9:9:9 +9"}));
  // 2023-01-03 was a Tuesday; 2023-01-31 as well.
  EXPECT_EQ(TSampleBlog::EntryDateText(3), "Tue, 03 Jan 2023 21:39:27 +0900");
  EXPECT_EQ(TSampleBlog::EntryDateText(31), "Tue, 31 Jan 2023 08:43:59 +0900");
  EXPECT_EQ(TSampleBlog::EntryDateText(1), "2023-01-01T11:13:29+09:00");
  const TSampleDateTime leap = TSampleBlog::EntryDateTime(425);
  EXPECT_EQ(std::tie(leap.Year, leap.Month, leap.Day), std::make_tuple(2024, 2, 29));
}

TEST(SampleBlogTest, EveryDateTextReadsAsTheTimeItStates) {
  // Day 44927 is 2023-01-01, the first entry's day.
  for (int number = 1; number <= 60; ++number) {
    const TSampleDateTime date = TSampleBlog::EntryDateTime(number);
    const double expected = 44927 + (number - 1) +
                            (date.Hour * 3600 + date.Minute * 60 + date.Second) / 86400.0;
    const std::optional<double> read = ReadDateText(TSampleBlog::EntryDateText(number));
    ASSERT_TRUE(read) << TSampleBlog::EntryDateText(number);
    EXPECT_NEAR(*read, expected, 0.5 / 86400) << TSampleBlog::EntryDateText(number);
  }
}

TEST(SampleBlogTest, MoreEntriesLeaveTheOlderOnesAsTheyWere) {
  const std::map<std::string, std::string> before = MakeBlog(TSampleCharset::ShiftJis, 20).Files();
  const TSampleBlog grown = MakeBlog(TSampleCharset::ShiftJis, 25);
  const std::map<std::string, std::string> after = grown.Files();
  for (int number = 1; number < 20; ++number)
    EXPECT_EQ(before.at(FileName(TSampleBlog::EntryPath(number))),
              after.at(FileName(TSampleBlog::EntryPath(number))))
        << number;
  // The former newest entry only gains its link to the newer one.
  EXPECT_EQ(before.at("entry/20.html").find("/entry/21.html"), std::string::npos);
  EXPECT_NE(after.at("entry/20.html").find("/entry/21.html"), std::string::npos);
  EXPECT_EQ(before, MakeBlog(TSampleCharset::ShiftJis, 20).Files());
}

TEST(SampleBlogTest, BaseUrlMakesLinksAbsoluteAndPagesNameThemselves) {
  TSampleBlogOptions options;
  options.Entries = 3;
  options.BaseUrl = "http://127.0.0.1:8080/";
  const TSampleBlog blog(options);
  EXPECT_EQ(blog.Url(TSampleBlog::EntryPath(2)), "http://127.0.0.1:8080/entry/2.html");
  const std::string page = blog.PageTexts().at("/entry/2.html");
  EXPECT_NE(page.find("<link rel=\"canonical\" href=\"http://127.0.0.1:8080/entry/2.html\">"),
            std::string::npos);
  EXPECT_NE(page.find("href='http://127.0.0.1:8080/entry/1.html'"), std::string::npos);
}

TEST(SampleBlogTest, RefusesImpossibleOptions) {
  TSampleBlogOptions none;
  none.Entries = 0;
  EXPECT_THROW(TSampleBlog{none}, std::runtime_error);
  TSampleBlogOptions noPages;
  noPages.EntriesPerPage = 0;
  EXPECT_THROW(TSampleBlog{noPages}, std::runtime_error);
  EXPECT_EQ(ParseSampleCharset("sjis"), TSampleCharset::ShiftJis);
  EXPECT_EQ(ParseSampleCharset("euc-JP"), TSampleCharset::EucJp);
  EXPECT_THROW(ParseSampleCharset("latin1"), std::runtime_error);
}

TEST(SampleBlogProgramTest, WritesTheSameBytesEveryTimeAndGrowsInPlace) {
  TempFolder folder;
  const std::string blog = folder.File("blog");
  ASSERT_EQ(RunProgram({SAMPLE_BLOG_PROGRAM, "--charset", "EUC-JP", "--entries", "8",
                        "--per-page", "3", blog})
                .Status,
            0);
  EXPECT_EQ(ReadFile(blog + "/entry/8.html"),
            MakeBlog(TSampleCharset::EucJp, 8, 3).Files().at("entry/8.html"));
  const std::string oldest = ReadFile(blog + "/entry/1.html");
  ASSERT_EQ(RunProgram({SAMPLE_BLOG_PROGRAM, "--charset", "EUC-JP", "--entries", "13",
                        "--per-page", "3", blog})
                .Status,
            0);
  EXPECT_EQ(ReadFile(blog + "/entry/1.html"), oldest);
  for (const auto& [name, bytes] : MakeBlog(TSampleCharset::EucJp, 13, 3).Files())
    EXPECT_EQ(ReadFile(blog + "/" + name), bytes) << name;
}

TEST(SampleBlogProgramTest, ExplainsBadArguments) {
  TempFolder folder;
  for (const std::vector<std::string>& arguments :
       {std::vector<std::string>{SAMPLE_BLOG_PROGRAM},
        {SAMPLE_BLOG_PROGRAM, "--entries", "0", folder.Path()},
        {SAMPLE_BLOG_PROGRAM, "--charset", "latin1", folder.Path()},
        {SAMPLE_BLOG_PROGRAM, "--entries"}}) {
    const ProgramResult result = RunProgram(arguments);
    EXPECT_EQ(result.Status, 2) << arguments.size();
    EXPECT_NE(result.Output.find("usage: tocwerk-sample-blog"), std::string::npos);
  }
  WriteFile(folder.File("file"), "");
  const ProgramResult blocked = RunProgram({SAMPLE_BLOG_PROGRAM, folder.File("file/blog")});
  EXPECT_EQ(blocked.Status, 1);
  EXPECT_NE(blocked.Output.find("tocwerk-sample-blog: "), std::string::npos);
}

} // namespace
