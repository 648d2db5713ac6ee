#pragma once

#include <map>
#include <string>
#include <vector>

// A static blog to crawl locally. Everything about entry k (1 is the oldest) depends
// on k alone, so a blog made again with more entries keeps every older entry's URL,
// title and date, and the new entries come first.

enum class TSampleCharset { Utf8, ShiftJis, EucJp };

// "UTF-8", "Shift_JIS", "EUC-JP": the name the pages declare.
std::string SampleCharsetName(TSampleCharset charset);
// Accepts the declared names and a few common spellings, any case; throws
// std::runtime_error for anything else.
TSampleCharset ParseSampleCharset(const std::string& name);

struct TSampleBlogOptions {
  int Entries = 60;
  int EntriesPerPage = 10;
  TSampleCharset Charset = TSampleCharset::Utf8;
  // "http://127.0.0.1:8080" makes every page name its absolute address; empty leaves
  // the links root-relative ("/entry/3.html").
  std::string BaseUrl;
};

// The wall-clock time that an entry's date text states; fields it leaves out are 0.
struct TSampleDateTime {
  int Year = 0;
  int Month = 0;
  int Day = 0;
  int Hour = 0;
  int Minute = 0;
  int Second = 0;
};

class TSampleBlog {
public:
  static constexpr int CategoryCount = 5;
  // Entries listed on the top page, newest first.
  static constexpr int TopEntryCount = 10;

  // Throws std::runtime_error for counts below 1.
  explicit TSampleBlog(TSampleBlogOptions options);

  const TSampleBlogOptions& Options() const { return Settings; }

  // "/", "/entry/12.html", "/category/diary/", "/category/diary/page-2.html".
  std::string TopPath() const { return "/"; }
  static std::string EntryPath(int number);
  static std::string CategoryPath(int category, int page = 1);
  // BaseUrl followed by the path: the text a blog type returns for the link.
  std::string Url(const std::string& path) const { return Settings.BaseUrl + path; }

  // The title as a crawl stores it: references decoded, blanks around removed.
  std::string EntryTitle(int number) const;
  // The date text as the page gives it.
  static std::string EntryDateText(int number);
  static TSampleDateTime EntryDateTime(int number);
  // Category indexes 0 to 4; some entries have none, some two.
  static std::vector<int> EntryCategories(int number);
  static std::string CategoryName(int category);

  // Entry numbers of a category, newest first, and how they split into pages.
  std::vector<int> CategoryEntries(int category) const;
  int CategoryPageCount(int category) const;

  // Every page as UTF-8 text, by path ("/" is the top page), before encoding.
  std::map<std::string, std::string> PageTexts() const;
  // Every page in the blog's charset, by file name relative to the blog folder
  // ("index.html", "entry/12.html", "category/diary/index.html").
  std::map<std::string, std::string> Files() const;
  // Writes the files into folder, creating folders as needed and replacing files of
  // the same name; other files are left alone.
  void Write(const std::string& folder) const;

private:
  std::string TopPage() const;
  std::string EntryPage(int number) const;
  std::string CategoryPage(int category, int page) const;

  TSampleBlogOptions Settings;
};
