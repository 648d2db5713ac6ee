#include "TocWriter.h"

#include "store/Tkdatetime.h"
#include "TocChoices.h"
#include "TocHtml.h"

#include <algorithm>
#include <optional>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace {

const char* const Style = R"(
:root { color-scheme: light dark; --muted: #666; --rule: #ddd; --accent: #2a5db0; }
* { box-sizing: border-box; }
body { margin: 0 auto; max-width: 50rem; padding: 1rem 1.25rem 3rem;
  font-family: system-ui, -apple-system, "Hiragino Sans", "Noto Sans JP", "Yu Gothic", Meiryo, sans-serif;
  line-height: 1.7; overflow-wrap: anywhere; }
h1 { font-size: 1.6rem; margin: 1rem 0 .5rem; }
h2 { font-size: 1.25rem; margin: 2rem 0 .5rem; padding-bottom: .2rem; border-bottom: 2px solid var(--rule); }
a { color: var(--accent); }
.description { margin: .25rem 0 1rem; white-space: pre-line; }
.count, .entry-count, .cats, time { color: var(--muted); font-size: .9em; }
nav ul { padding-left: 1.2rem; columns: 14rem; }
ol.entries { list-style: none; padding: 0; margin: 0; }
ol.entries li { padding: .45rem 0; border-bottom: 1px solid var(--rule); break-inside: avoid; }
time { font-variant-numeric: tabular-nums; margin-right: .5em; }
.cats { margin-left: .5em; }
.comment { margin: .25rem 0 0 1rem; white-space: pre-line; }
.empty { color: var(--muted); }
footer { margin-top: 2rem; color: var(--muted); font-size: .8em; }
@media (prefers-color-scheme: dark) { :root { --muted: #aaa; --rule: #444; --accent: #8ab4f8; } }
@media print { nav { display: none; } a { color: inherit; text-decoration: none; }
  body { max-width: none; padding: 0; font-size: 10.5pt; } h2 { break-after: avoid; } }
)";

constexpr size_t ShownOtherCategories = 10;
constexpr size_t PieceSize = 64 * 1024;

// The page as it is made, handed on whenever a piece is full.
class Pieces {
public:
  explicit Pieces(const TocSink& sink) : Sink(sink) { Text.reserve(2 * PieceSize); }
  std::string Text;
  void PassFull() {
    if (Text.size() >= PieceSize)
      PassAll();
  }
  void PassAll() {
    Sink(Text);
    Text.clear();
  }

private:
  const TocSink& Sink;
};

std::string Setting(const TocData& data, const char* name, const std::string& fallback = {}) {
  const auto found = data.settings.find(name);
  return found == data.settings.end() || found->second.empty() ? fallback : found->second;
}

struct Section {
  std::string anchor;
  std::string heading;
  std::string headingUrl;
  int categoryId = -1;
  std::vector<const TocEntry*> entries;
};

std::optional<TCivilDateTime> EntryDate(const TocEntry& entry) {
  return entry.date >= 1 ? CivilDateTime(entry.date) : std::nullopt;
}

// Newest first unless the order setting asks for the oldest first; among equal
// dates the crawl's order (ids count from the newest) decides.
std::vector<const TocEntry*> SortedEntries(const TocData& data) {
  const bool oldestFirst = ChosenValue(data, TocSettings::Order) == "古い順";
  std::vector<const TocEntry*> entries;
  entries.reserve(data.entries.size());
  for (const TocEntry& entry : data.entries)
    entries.push_back(&entry);
  std::stable_sort(entries.begin(), entries.end(), [&](const TocEntry* a, const TocEntry* b) {
    if (a->date != b->date)
      return oldestFirst ? a->date < b->date : a->date > b->date;
    return oldestFirst ? a->id > b->id : a->id < b->id;
  });
  return entries;
}

std::vector<Section> ByCategory(const TocData& data, const std::vector<const TocEntry*>& entries) {
  std::vector<Section> sections;
  std::unordered_map<int, size_t> sectionOf;
  for (const auto& [id, category] : data.categories) {
    if (id == 0)
      continue;
    sectionOf.emplace(id, sections.size());
    sections.push_back({"c" + std::to_string(id), category.name, category.url, id, {}});
  }
  Section uncategorized{"c0", Setting(data, TocSettings::UncategorizedHeading, "未分類"), "", 0, {}};
  for (const TocEntry* entry : entries) {
    if (entry->categoryIds.empty())
      uncategorized.entries.push_back(entry);
    for (const int id : entry->categoryIds)
      sections[sectionOf.at(id)].entries.push_back(entry);
  }
  sections.push_back(std::move(uncategorized));
  std::erase_if(sections, [](const Section& section) { return section.entries.empty(); });
  return sections;
}

std::string MonthHeading(std::string pattern, const TCivilDateTime& date) {
  const auto replace = [&](std::string_view token, const std::string& value) {
    if (const auto at = pattern.find(token); at != std::string::npos)
      pattern.replace(at, token.size(), value);
  };
  const std::string twoDigits = (date.month < 10 ? "0" : "") + std::to_string(date.month);
  replace("yyyy", std::to_string(date.year));
  replace("mm", twoDigits);
  replace("m", std::to_string(date.month));
  return pattern;
}

std::vector<Section> ByMonth(const TocData& data, const std::vector<const TocEntry*>& entries) {
  const std::string pattern = Setting(data, TocSettings::MonthHeading, "yyyy年m月");
  std::vector<Section> sections;
  Section undated{"undated", "日付なし", "", -1, {}};
  for (const TocEntry* entry : entries) {
    const auto date = EntryDate(*entry);
    if (!date) {
      undated.entries.push_back(entry);
      continue;
    }
    const std::string anchor = "m" + std::to_string(date->year * 100 + date->month);
    if (sections.empty() || sections.back().anchor != anchor)
      sections.push_back({anchor, MonthHeading(pattern, *date), "", -1, {}});
    sections.back().entries.push_back(entry);
  }
  if (!undated.entries.empty())
    sections.push_back(std::move(undated));
  return sections;
}

void AppendLinkOrText(std::string& out, const std::string& url, const std::string& text) {
  if (IsWebLink(url)) {
    out += "<a href=\"";
    AppendEscaped(out, url);
    out += "\">";
    AppendEscaped(out, text);
    out += "</a>";
  } else {
    AppendEscaped(out, text);
  }
}

// An entry in thousands of categories is listed under each of them: naming all
// the others every time would grow the page with the square of its categories.
void AppendOtherCategories(std::string& out, const TocData& data, const TocEntry& entry,
                           int sectionCategory) {
  const size_t others = entry.categoryIds.size() - (sectionCategory > 0 ? 1 : 0);
  if (others == 0)
    return;
  out += "<span class=\"cats\">";
  size_t named = 0;
  for (const int id : entry.categoryIds) {
    if (id == sectionCategory)
      continue;
    if (named == ShownOtherCategories)
      break;
    if (named++ > 0)
      out += "、";
    AppendEscaped(out, data.categories.at(id).name);
  }
  if (others > named)
    out += "、ほか" + std::to_string(others - named) + "件";
  out += "</span>";
}

void AppendEntry(std::string& out, const TocData& data, const TocEntry& entry, int sectionCategory,
                 bool showComments) {
  out += "<li>";
  if (EntryDate(entry)) {
    const std::string date = FormatDate(entry.date);
    std::string iso = date;
    std::replace(iso.begin(), iso.end(), '/', '-');
    out += "<time datetime=\"" + iso + "\">" + date + "</time>";
  }
  AppendLinkOrText(out, entry.url, entry.title.empty() ? entry.url : entry.title);
  AppendOtherCategories(out, data, entry, sectionCategory);
  if (showComments && !entry.comment.empty()) {
    out += "<p class=\"comment\">";
    AppendEscaped(out, entry.comment);
    out += "</p>";
  }
  out += "</li>\n";
}

void AppendHead(std::string& out, const std::string& title) {
  out += "<!DOCTYPE html>\n<html lang=\"ja\">\n<head>\n<meta charset=\"utf-8\">\n"
         "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
         "<meta name=\"generator\" content=\"Tocwerk\">\n<title>";
  AppendEscaped(out, title);
  out += "</title>\n<style>";
  out += Style;
  out += "</style>\n</head>\n<body>\n";
}

void WriteNavigation(Pieces& page, const std::vector<Section>& sections) {
  std::string& out = page.Text;
  out += "<nav>\n<ul>\n";
  for (const Section& section : sections) {
    out += "<li><a href=\"#" + section.anchor + "\">";
    AppendEscaped(out, section.heading);
    out += "</a> <span class=\"entry-count\">(" + std::to_string(section.entries.size()) +
           ")</span></li>\n";
    page.PassFull();
  }
  out += "</ul>\n</nav>\n";
}

void WriteSection(Pieces& page, const TocData& data, const Section& section, bool showComments) {
  std::string& out = page.Text;
  out += "<section id=\"" + section.anchor + "\">\n<h2>";
  AppendLinkOrText(out, section.headingUrl, section.heading);
  out += " <span class=\"entry-count\">(" + std::to_string(section.entries.size()) + ")</span></h2>\n";
  out += "<ol class=\"entries\">\n";
  for (const TocEntry* entry : section.entries) {
    AppendEntry(out, data, *entry, section.categoryId, showComments);
    page.PassFull();
  }
  out += "</ol>\n</section>\n";
}

}

void WriteToc(const TocData& data, const TocSink& sink) {
  const std::string title = Setting(data, TocSettings::Title, "目次");
  const std::string description = Setting(data, TocSettings::Description);
  const bool showComments = ChosenValue(data, TocSettings::ShowComments) == "する";
  const bool monthly = data.settings.count(TocSettings::MonthHeading) > 0;
  const std::vector<const TocEntry*> entries = SortedEntries(data);
  const std::vector<Section> sections = monthly ? ByMonth(data, entries) : ByCategory(data, entries);

  Pieces page(sink);
  std::string& out = page.Text;
  AppendHead(out, title);
  out += "<header>\n<h1>";
  AppendEscaped(out, title);
  out += "</h1>\n";
  if (!description.empty()) {
    out += "<p class=\"description\">";
    AppendEscaped(out, description);
    out += "</p>\n";
  }
  out += "<p class=\"count\">全" + std::to_string(data.entries.size()) + "件</p>\n</header>\n";
  if (sections.empty())
    out += "<p class=\"empty\">記事はありません。</p>\n";
  else
    WriteNavigation(page, sections);
  out += "<main>\n";
  for (const Section& section : sections)
    WriteSection(page, data, section, showComments);
  out += "</main>\n<footer>Tocwerk で作成</footer>\n</body>\n</html>\n";
  page.PassAll();
}
