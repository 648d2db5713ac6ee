#pragma once

#include "crawl/Tcrawljob.h"
#include "store/Tproject.h"

#include <vector>

class TCategoryParser;
class TCategoryReads;

// The category crawl: reads every page of each category in turn and stores which
// entry URLs each lists. What it read replaces the stored memberships only when it
// ends: a category not read to its last page keeps what it had. A category whose next
// page leads back to one of its pages already read ends there, as a failure.
class TCategoryCrawl : public TCrawlJob {
public:
  void SetCategories(const std::vector<TCategoryData>& categories) { CategoryList = categories; }

  bool Run() override;

private:
  void Crawl(std::string& url, int sleepTime, TCategoryReads& reads);
  void ReadCategory(TCategoryParser& parser, std::size_t index, std::string& url,
                    TCategoryReads& reads);

  std::vector<TCategoryData> CategoryList;
};
