#pragma once

#include "crawl/Tcrawljob.h"
#include "store/Tproject.h"

#include <vector>

// The category crawl: reads every page of each category in turn and stores which
// entry URLs each lists. The stored categories and memberships are rebuilt.
class TCategoryCrawl : public TCrawlJob {
public:
  void SetCategories(const std::vector<TCategoryData>& categories) { CategoryList = categories; }

  bool Run() override;

private:
  void Crawl(std::string& url, int sleepTime);
  void ReadCategory(class TCategoryParser& parser, int id, std::string& url);
  std::string AbsoluteOrAsIs(const std::string& url) const;

  std::vector<TCategoryData> CategoryList;
};
