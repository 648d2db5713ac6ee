#pragma once

#include "crawl/Tcrawljob.h"

// The entry crawl: from the blog's top page to its newest entry, then from entry to
// older entry, storing each one. In new-entries-only mode it stops at the first
// entry already stored and puts the new ones in front of the stored ones.
class TEntryCrawl : public TCrawlJob {
public:
  void SetStartUrl(const std::string& url) { StartUrl = url; }
  void SetNewEntryOnly(bool newEntryOnly) { NewEntryOnly = newEntryOnly; }

  bool Run() override;

private:
  void Crawl(std::string& url, class TEntryParser& parser, int sleepTime);

  std::string StartUrl;
  bool NewEntryOnly = false;
};
