// The pages of the sample blog: ordinary HTML5 as blog engines write it, with the
// variations a reader of such markup must cope with (attribute order, quote style,
// links in <head> or in the body, missing og:title or <h1>, comments and scripts
// that look like links).
#include "SampleBlog.h"
#include "SampleTitle.h"

namespace {

const char* const BlogName = "サンプルブログ";

std::string DisplayDate(int number) {
  const TSampleDateTime date = TSampleBlog::EntryDateTime(number);
  return std::to_string(date.Year) + "年" + std::to_string(date.Month) + "月" +
         std::to_string(date.Day) + "日";
}

std::string Head(const TSampleBlog& blog, const std::string& path, const std::string& title,
                 const std::string& extra) {
  std::string head = "<!DOCTYPE html>\n<html lang=\"ja\">\n<head>\n<meta charset=\"" +
                     SampleCharsetName(blog.Options().Charset) + "\">\n" +
                     "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n" +
                     "<title>" + title + "</title>\n";
  if (!blog.Options().BaseUrl.empty())
    head += "<link rel=\"canonical\" href=\"" + blog.Url(path) + "\">\n";
  return head + extra + "</head>\n";
}

std::string SiteHeader(const TSampleBlog& blog) {
  std::string header = "<header>\n<p class=\"site-title\"><a href=\"" + blog.Url("/") + "\">" +
                       BlogName + "</a></p>\n<nav>\n<ul>\n";
  for (int category = 0; category < TSampleBlog::CategoryCount; ++category)
    header += "<li><a href=\"" + blog.Url(TSampleBlog::CategoryPath(category)) + "\">" +
              EscapeHtml(TSampleBlog::CategoryName(category)) + "</a></li>\n";
  return header + "</ul>\n</nav>\n</header>\n";
}

const char* const Footer = "<footer><p>&copy; 2023 サンプルブログ</p></footer>\n</body>\n</html>\n";

// One entry in a list: the permalink marked rel="bookmark", attributes in either order.
std::string Summary(const TSampleBlog& blog, int number) {
  const TSampleTitle title = MakeSampleTitle(number, blog.Options().Charset);
  const std::string url = blog.Url(TSampleBlog::EntryPath(number));
  const std::string link = number % 2 == 0
                               ? "<a href=\"" + url + "\" rel=\"bookmark\">"
                               : "<a class='permalink' rel='bookmark' href='" + url + "'>";
  return "<article>\n<h2>" + link + title.Html + "</a></h2>\n<p><time datetime=\"" +
         TSampleBlog::EntryDateText(number) + "\">" + DisplayDate(number) + "</time></p>\n" +
         "<p>" + std::to_string(number) + "番目の記事の要約です。</p>\n</article>\n";
}

} // namespace

std::string TSampleBlog::TopPage() const {
  const std::string script =
      "<script>\n"
      "  // document.write('<a rel=\"bookmark\" href=\"/script/\">') is never run\n"
      "  var blogName = \"" + std::string(BlogName) + "\";\n"
      "</script>\n";
  std::string page = Head(*this, TopPath(), BlogName, script) + "<body>\n" + SiteHeader(*this) +
                     "<main>\n<!-- <a rel=\"bookmark\" href=\"/entry/draft.html\">下書き</a> -->\n";
  for (int number = Settings.Entries; number >= 1 && number > Settings.Entries - TopEntryCount;
       --number)
    page += Summary(*this, number);
  return page + "</main>\n" + Footer;
}

std::string TSampleBlog::EntryPage(int number) const {
  const TSampleTitle title = MakeSampleTitle(number, Settings.Charset);
  const std::string date = EntryDateText(number);
  const std::string prev = number > 1 ? Url(EntryPath(number - 1)) : "";
  const std::string next = number < Settings.Entries ? Url(EntryPath(number + 1)) : "";

  std::string extra;
  switch (number % 4) {
  case 0: extra += "<meta property=\"og:title\" content=\"" + title.Html + "\">\n"; break;
  case 1: extra += "<meta content='" + title.Html + "' property='og:title'>\n"; break;
  default: break;
  }
  extra += "<meta property=\"og:type\" content=\"article\">\n";
  if (number % 5 == 3)
    extra += "<meta property=\"article:published_time\" content=\"" + date + "\">\n";
  if (number % 3 == 0) {
    if (!prev.empty())
      extra += "<link rel=\"prev\" href=\"" + prev + "\">\n";
    if (!next.empty())
      extra += "<link href=\"" + next + "\" rel=\"next\">\n";
  }

  const std::string pageTitle = number % 4 == 3 ? title.Html : title.Html + " | " + BlogName;
  std::string page = Head(*this, EntryPath(number), pageTitle, extra) + "<body>\n" +
                     SiteHeader(*this) + "<main>\n<article>\n";
  switch (number % 4) {
  case 0: page += "<h1>" + title.Html + "</h1>\n"; break;
  case 1: page += "<h1 class=\"entry-title\"><span>" + title.Html + "</span></h1>\n"; break;
  case 2:
    page += "<h1 class='entry-title'><a href=\"" + Url(EntryPath(number)) + "\" rel=\"bookmark\">" +
            title.Html + "</a></h1>\n";
    break;
  default: page += "<p class=\"lead\">" + std::to_string(number) + "番目の記事</p>\n"; break;
  }
  switch (number % 5) {
  case 3: page += "<p class=\"date\">" + DisplayDate(number) + "</p>\n"; break;
  case 4:
    page += "<p><time class='published' datetime='" + date + "'>" + DisplayDate(number) +
            "</time></p>\n";
    break;
  default: page += "<p><time datetime=\"" + date + "\">" + DisplayDate(number) + "</time></p>\n";
  }
  page += "<p>これは" + std::to_string(number) +
          "番目の記事です。表やソフトの機能について書いています。</p>\n"
          "<p>パスの例: <code>C:\\temp\\表\\</code> と \"引用符\" と 'アポストロフィ'</p>\n";
  if (Settings.Charset == TSampleCharset::Utf8)
    page += "<p>今日の一枚 📷 ✨</p>\n";
  page += "</article>\n<nav class=\"entry-nav\">\n";
  if (number % 3 == 1 && !prev.empty())
    page += "<a href=\"" + prev + "\" rel=\"prev\">&laquo; 前の記事</a>\n";
  if (number % 3 == 2 && !prev.empty())
    page += "<a class='nav-prev' rel='prev' href='" + prev + "'>&laquo; 前の記事</a>\n";
  if (number % 3 != 0 && !next.empty())
    page += "<a rel=\"next\" href=\"" + next + "\">次の記事 &raquo;</a>\n";
  return page + "</nav>\n</main>\n" + Footer;
}

std::string TSampleBlog::CategoryPage(int category, int page) const {
  const std::vector<int> numbers = CategoryEntries(category);
  const int count = CategoryPageCount(category);
  const std::string name = EscapeHtml(CategoryName(category));
  // The next page is named relative to this one, as many engines do.
  const std::string next = page < count ? "page-" + std::to_string(page + 1) + ".html" : "";
  const std::string prev = page > 1 ? Url(CategoryPath(category, page - 1)) : "";

  std::string extra;
  if (page % 2 == 1 && !next.empty())
    extra += "<link rel=\"next\" href=\"" + next + "\">\n";
  if (!prev.empty())
    extra += "<link rel=\"prev\" href=\"" + prev + "\">\n";
  std::string text = Head(*this, CategoryPath(category, page),
                          name + " (" + std::to_string(page) + "ページ目) | " + BlogName, extra) +
                     "<body>\n" + SiteHeader(*this) + "<main>\n<h1>カテゴリ: " + name + "</h1>\n";
  const size_t first = static_cast<size_t>(page - 1) * Settings.EntriesPerPage;
  for (size_t i = first; i < numbers.size() && i < first + Settings.EntriesPerPage; ++i)
    text += Summary(*this, numbers[i]);
  text += "<nav class=\"pager\">\n";
  if (!prev.empty())
    text += "<a href=\"" + prev + "\" rel=\"prev\">前のページ</a>\n";
  if (page % 2 == 0 && !next.empty())
    text += "<a rel='next' href='" + next + "'>次のページ</a>\n";
  if (page % 2 == 1 && !next.empty())
    text += "<a href=\"" + next + "\">次のページ</a>\n";
  return text + "</nav>\n</main>\n" + Footer;
}
