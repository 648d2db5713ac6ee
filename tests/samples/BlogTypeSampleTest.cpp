// The bundled blog type reads the whole sample blog, in each charset, the way the
// crawls walk it: top page, entry to older entry, category page to next page.
#include "BlogTypeScript.h"

#include "SampleBlog.h"
#include "crawl/Tblogconfig.h"
#include "text/Tcharconv.h"
#include "text/Tcodepage.h"

#include <gtest/gtest.h>

#include <tuple>

namespace {

const char* const BaseUrl = "http://127.0.0.1:8123";

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    const size_t end = text.find('\n', start);
    lines.push_back(text.substr(start, end - start));
    if (end == std::string::npos)
      break;
    start = end + 1;
  }
  return lines;
}

class BlogTypeSampleTest
    : public testing::TestWithParam<std::tuple<TSampleCharset, bool>> {
protected:
  BlogTypeSampleTest() {
    TSampleBlogOptions options;
    options.Entries = 30;
    options.EntriesPerPage = 4;
    options.Charset = std::get<0>(GetParam());
    options.BaseUrl = std::get<1>(GetParam()) ? BaseUrl : "";
    Blog = std::make_unique<TSampleBlog>(options);
    Files = Blog->Files();
    TBlogConfigManager manager;
    manager.LoadFrom(BLOG_TYPE_FOLDER);
    CodePage = TCodePage::GetInstance()->FindCodePage(manager.GetBlogConfigs().at(0).GetEncode());
  }

  // The page at a URL the script returned, as the crawl hands it over: converted
  // with the blog type's charset. A relative URL is taken against the current page.
  std::string Fetch(const std::string& url) {
    std::string path = url;
    if (path.starts_with(BaseUrl))
      path.erase(0, std::string(BaseUrl).size());
    else if (!path.starts_with("/"))
      path = Current.substr(0, Current.rfind('/') + 1) + path;
    Current = path;
    const std::string name = path.back() == '/' ? path.substr(1) + "index.html" : path.substr(1);
    const auto file = Files.find(name);
    if (file == Files.end()) {
      ADD_FAILURE() << "no page at " << url;
      return "";
    }
    return ConvertCharset(file->second, CodePage);
  }

  std::unique_ptr<TSampleBlog> Blog;
  std::map<std::string, std::string> Files;
  int CodePage = 0;
  std::string Current = "/";
  BlogTypeScript Script;
};

TEST_P(BlogTypeSampleTest, WalksEveryEntryFromTheNewestToTheOldest) {
  std::string url = Script.Run("GetRecentEntry", Fetch(Blog->Url("/")));
  int number = 30;
  for (; !url.empty() && number >= 1; --number) {
    ASSERT_EQ(url, Blog->Url(TSampleBlog::EntryPath(number)));
    const std::string page = Fetch(url);
    EXPECT_EQ(Script.Run("GetDate", page), TSampleBlog::EntryDateText(number)) << number;
    EXPECT_EQ(Script.Title(page), Blog->EntryTitle(number)) << number;
    url = Script.Run("GetNextUrl", page);
  }
  EXPECT_EQ(number, 0);
  EXPECT_EQ(url, "");
}

TEST_P(BlogTypeSampleTest, ListsEachCategoryPageByPage) {
  for (int category = 0; category < TSampleBlog::CategoryCount; ++category) {
    std::vector<std::string> listed;
    std::string url = Blog->Url(TSampleBlog::CategoryPath(category));
    int pages = 0;
    for (; !url.empty() && pages < 100; ++pages) {
      const std::string page = Fetch(url);
      for (const std::string& line : Lines(Script.Run("GetEntryUrl", page)))
        listed.push_back(line);
      url = Script.Run("GetNextCategoryUrl", page);
      if (std::get<1>(GetParam()) && !url.empty()) {
        EXPECT_TRUE(url.starts_with(BaseUrl)) << url;
      }
    }
    std::vector<std::string> expected;
    for (int number : Blog->CategoryEntries(category))
      expected.push_back(Blog->Url(TSampleBlog::EntryPath(number)));
    EXPECT_EQ(listed, expected) << TSampleBlog::CategoryName(category);
    EXPECT_EQ(pages, Blog->CategoryPageCount(category));
  }
}

INSTANTIATE_TEST_SUITE_P(
    CharsetsAndLinks, BlogTypeSampleTest,
    testing::Combine(testing::Values(TSampleCharset::Utf8, TSampleCharset::ShiftJis,
                                     TSampleCharset::EucJp),
                     testing::Bool()),
    [](const auto& info) {
      const std::string charset = SampleCharsetName(std::get<0>(info.param));
      return std::string(charset == "UTF-8" ? "Utf8" : charset == "EUC-JP" ? "EucJp" : "ShiftJis") +
             (std::get<1>(info.param) ? "Absolute" : "RootRelative");
    });

} // namespace
