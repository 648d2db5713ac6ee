#pragma once

#include "store/Tproject.h"

#include <cstddef>
#include <string>
#include <unordered_set>
#include <vector>

class TProjectDb;

// What a category crawl read, kept apart from the stored memberships until the
// crawl ends: per category of the list, the entry URLs in the order first met
// (each once, compared as the url columns compare) and whether its last page was
// reached.
class TCategoryReads {
public:
  explicit TCategoryReads(std::size_t categoryCount) : Reads(categoryCount) {}

  void Add(std::size_t index, const std::vector<std::string>& urls);
  void MarkComplete(std::size_t index) { Reads[index].Complete = true; }

  // In one transaction: the list becomes the stored categories and the recorded
  // crawl list; a category read to its end gets exactly what was read; any other
  // keeps its memberships when keepUnread, else loses them.
  void Store(TProjectDb& db, const std::vector<TCategoryData>& list, bool keepUnread) const;

private:
  struct Read {
    std::vector<std::string> Urls;
    std::unordered_set<std::string> Keys;
    bool Complete = false;
  };

  std::vector<Read> Reads;
};
