#include "SampleBlog.h"

#include "SampleEncoding.h"
#include "SampleTitle.h"

#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <utility>

namespace {

const char* const CategoryNames[TSampleBlog::CategoryCount] = {
    "日記", "ソフトウェア", "食べ物 & 飲み物", "旅行", "本と映画"};
const char* const CategorySlugs[TSampleBlog::CategoryCount] = {
    "diary", "software", "food", "travel", "books"};

const char* const WeekdayNames[] = {"Thu", "Fri", "Sat", "Sun", "Mon", "Tue", "Wed"};
const char* const MonthNames[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                  "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

// Days since 1970-01-01 to the civil date (proleptic Gregorian).
void CivilFromDays(long days, int& year, int& month, int& day) {
  days += 719468;
  const long era = (days >= 0 ? days : days - 146096) / 146097;
  const long dayOfEra = days - era * 146097;
  const long yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const long dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const long shifted = (5 * dayOfYear + 2) / 153;
  day = static_cast<int>(dayOfYear - (153 * shifted + 2) / 5 + 1);
  month = static_cast<int>(shifted < 10 ? shifted + 3 : shifted - 9);
  year = static_cast<int>(yearOfEra + era * 400 + (month <= 2 ? 1 : 0));
}

// 2023-01-01 is day 19358 after 1970-01-01.
constexpr long FirstEntryDay = 19358;

std::string Two(int value) {
  return (value < 10 ? "0" : "") + std::to_string(value);
}

struct Moment {
  long Day;
  int Hour, Minute, Second;
};

// One entry a day, at a time of day that changes from entry to entry.
Moment EntryMoment(int number) {
  return {FirstEntryDay + number - 1, 6 + number * 5 % 17, number * 13 % 60, number * 29 % 60};
}

std::string FileName(const std::string& path) {
  std::string name = path.substr(1);
  if (name.empty() || name.back() == '/')
    name += "index.html";
  return name;
}

} // namespace

std::string SampleCharsetName(TSampleCharset charset) {
  switch (charset) {
  case TSampleCharset::ShiftJis: return "Shift_JIS";
  case TSampleCharset::EucJp: return "EUC-JP";
  case TSampleCharset::Utf8: break;
  }
  return "UTF-8";
}

TSampleCharset ParseSampleCharset(const std::string& name) {
  std::string lower;
  for (char c : name)
    lower += (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
  if (lower == "utf-8" || lower == "utf8")
    return TSampleCharset::Utf8;
  if (lower == "shift_jis" || lower == "shift-jis" || lower == "sjis")
    return TSampleCharset::ShiftJis;
  if (lower == "euc-jp" || lower == "eucjp" || lower == "euc_jp")
    return TSampleCharset::EucJp;
  throw std::runtime_error("unknown charset: " + name + " (UTF-8, Shift_JIS or EUC-JP)");
}

TSampleBlog::TSampleBlog(TSampleBlogOptions options) : Settings(std::move(options)) {
  if (Settings.Entries < 1)
    throw std::runtime_error("the number of entries must be at least 1");
  if (Settings.EntriesPerPage < 1)
    throw std::runtime_error("the number of entries per page must be at least 1");
  while (!Settings.BaseUrl.empty() && Settings.BaseUrl.back() == '/')
    Settings.BaseUrl.pop_back();
}

std::string TSampleBlog::EntryPath(int number) {
  return "/entry/" + std::to_string(number) + ".html";
}

std::string TSampleBlog::CategoryPath(int category, int page) {
  const std::string folder = std::string("/category/") + CategorySlugs[category] + "/";
  return page <= 1 ? folder : folder + "page-" + std::to_string(page) + ".html";
}

std::string TSampleBlog::CategoryName(int category) {
  return CategoryNames[category];
}

namespace {

// The moment of a clock in Japan as UTC writes it, nine hours earlier.
std::string UtcIso(Moment moment) {
  moment.Hour -= 9;
  if (moment.Hour < 0) {
    moment.Hour += 24;
    --moment.Day;
  }
  int year, month, day;
  CivilFromDays(moment.Day, year, month, day);
  return std::to_string(year) + "-" + Two(month) + "-" + Two(day) + "T" + Two(moment.Hour) + ":" +
         Two(moment.Minute) + ":" + Two(moment.Second);
}

}

std::string TSampleBlog::EntryDateText(int number) {
  const Moment moment = EntryMoment(number);
  int year, month, day;
  CivilFromDays(moment.Day, year, month, day);
  const std::string y = std::to_string(year), m = std::to_string(month), d = std::to_string(day);
  const std::string h = std::to_string(moment.Hour);
  const std::string mi = Two(moment.Minute), s = Two(moment.Second);
  const std::string iso = y + "-" + Two(month) + "-" + Two(day) + "T" + Two(moment.Hour) + ":" +
                          mi + ":" + s;
  switch (number % 7) {
  case 0: return y + "/" + m + "/" + d + " " + h + ":" + mi;
  case 1: return iso + "+09:00";
  case 2: return y + "年" + m + "月" + d + "日 " + h + "時" + std::to_string(moment.Minute) + "分";
  case 3:
    return std::string(WeekdayNames[moment.Day % 7]) + ", " + Two(day) + " " +
           MonthNames[month - 1] + " " + y + " " + Two(moment.Hour) + ":" + mi + ":" + s +
           " +0900";
  case 4: return y + "-" + m + "-" + d;
  case 5: return y + "." + m + "." + d + " " + h + ":" + mi + ":" + s;
  default: return UtcIso(moment) + ".250Z";
  }
}

TSampleDateTime TSampleBlog::EntryDateTime(int number) {
  const Moment moment = EntryMoment(number);
  TSampleDateTime result;
  CivilFromDays(moment.Day, result.Year, result.Month, result.Day);
  switch (number % 7) {
  case 4: return result;
  case 0:
  case 2:
    result.Hour = moment.Hour;
    result.Minute = moment.Minute;
    return result;
  default:
    result.Hour = moment.Hour;
    result.Minute = moment.Minute;
    result.Second = moment.Second;
    return result;
  }
}

std::vector<int> TSampleBlog::EntryCategories(int number) {
  if (number % 11 == 0)
    return {};
  const int primary = (number - 1) % CategoryCount;
  if (number % 7 == 0)
    return {primary, (primary + 2) % CategoryCount};
  return {primary};
}

std::vector<int> TSampleBlog::CategoryEntries(int category) const {
  std::vector<int> numbers;
  for (int number = Settings.Entries; number >= 1; --number)
    for (int member : EntryCategories(number))
      if (member == category)
        numbers.push_back(number);
  return numbers;
}

int TSampleBlog::CategoryPageCount(int category) const {
  const int count = static_cast<int>(CategoryEntries(category).size());
  return count == 0 ? 1 : (count + Settings.EntriesPerPage - 1) / Settings.EntriesPerPage;
}

std::map<std::string, std::string> TSampleBlog::PageTexts() const {
  std::map<std::string, std::string> pages;
  pages[TopPath()] = TopPage();
  for (int number = 1; number <= Settings.Entries; ++number)
    pages[EntryPath(number)] = EntryPage(number);
  for (int category = 0; category < CategoryCount; ++category)
    for (int page = 1, count = CategoryPageCount(category); page <= count; ++page)
      pages[CategoryPath(category, page)] = CategoryPage(category, page);
  return pages;
}

std::map<std::string, std::string> TSampleBlog::Files() const {
  std::map<std::string, std::string> files;
  for (const auto& [path, text] : PageTexts())
    files[FileName(path)] = EncodeSampleText(text, Settings.Charset);
  return files;
}

void TSampleBlog::Write(const std::string& folder) const {
  namespace fs = std::filesystem;
  for (const auto& [name, bytes] : Files()) {
    const fs::path path = fs::path(folder) / name;
    fs::create_directories(path.parent_path());
    // Through a temporary file, so that a server reading the blog meanwhile never
    // sees half a page.
    const fs::path temporary = path.string() + ".tmp";
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out)
      throw std::runtime_error("cannot write " + temporary.string());
    fs::rename(temporary, path);
  }
}

std::string TSampleBlog::EntryTitle(int number) const {
  return MakeSampleTitle(number, Settings.Charset).Text;
}
