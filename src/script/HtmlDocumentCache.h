#pragma once

#include "html/HtmlDocument.h"

#include <QString>

#include <memory>
#include <vector>

// The pages scripts asked about last, parsed: the crawl hands one page to several
// functions, and a script may query a page many times, or a page and the markup
// of what it found in turn. The last one is always kept, a few before it while
// they are small together.
class HtmlDocumentCache {
public:
  const HtmlDocument& Get(const QString& html);

private:
  void Trim();

  struct Entry {
    QString Html;
    std::unique_ptr<HtmlDocument> Document;
  };
  // The most recently asked for first.
  std::vector<Entry> Entries;
};
