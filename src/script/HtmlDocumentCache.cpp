#include "script/HtmlDocumentCache.h"

#include <algorithm>

namespace {

constexpr size_t MaxDocuments = 4;
// In UTF-16 units; a parsed page takes several times its text.
constexpr qsizetype MaxKeptHtml = 4 * 1024 * 1024;

// A script passing one string again passes the same data, which spares the comparison.
bool SameText(const QString& a, const QString& b) {
  return a.size() == b.size() && (a.constData() == b.constData() || a == b);
}

} // namespace

const HtmlDocument& HtmlDocumentCache::Get(const QString& html) {
  const auto found = std::ranges::find_if(Entries, [&](const Entry& entry) { return SameText(entry.Html, html); });
  if (found != Entries.end()) {
    std::rotate(Entries.begin(), found, found + 1);
    return *Entries.front().Document;
  }
  auto document = std::make_unique<HtmlDocument>(html.toStdString());
  Entries.insert(Entries.begin(), Entry{html, std::move(document)});
  Trim();
  return *Entries.front().Document;
}

void HtmlDocumentCache::Trim() {
  qsizetype kept = 0;
  size_t count = 0;
  const auto end = std::ranges::find_if(Entries, [&](const Entry& entry) {
    kept += entry.Html.size();
    ++count;
    return count > MaxDocuments || (count > 1 && kept > MaxKeptHtml);
  });
  Entries.erase(end, Entries.end());
}
