#pragma once

#include "crawl/Tcrawljob.h"

class TEntryParser;

// The entry crawl: from the blog's top page to its newest entry, then from entry to
// older entry, reading each one into tmp_entries; or, when the blog type reads the
// blog's lists of entries, from list page to list page and each entry listed. A chain read to its end replaces
// the stored entries; a crawl that fails or is cancelled keeps the stored entries it
// did not reach behind the ones it read; so does a chain that leads back to an entry
// it read. In new-entries-only mode it stops at the first entry already stored and
// puts the new ones in front of the stored ones.
class TEntryCrawl : public TCrawlJob {
public:
  void SetStartUrl(const std::string& url) { StartUrl = url; }
  void SetNewEntryOnly(bool newEntryOnly) { NewEntryOnly = newEntryOnly; }

  bool Run() override;

private:
  // True when the chain reached its end (or, in new-entries-only mode, a stored entry).
  bool Crawl(std::string& url, TEntryParser& parser, int sleepTime);
  // From the top page to the newest entry, then from each entry to the older one.
  void ReadChain(std::string& url, TEntryParser& parser, int codePage, int sleepTime);
  // Reads the entry at url and each older one it links to, up to the last.
  void FollowChain(std::string& url, TEntryParser& parser, int codePage, int sleepTime,
                   std::unordered_set<std::string>& read);
  // The blog's list pages from the top page on, each followed by the entries it
  // lists; where they end, the older entries linked from the oldest one read.
  void ReadLists(std::string& url, TEntryParser& parser, int codePage, int sleepTime);
  // Reads the entry at url into the staging table, and its link to the older one
  // into next when given. False when, in new-entries-only mode, it is already stored.
  bool ReadEntry(std::string& url, TEntryParser& parser, int codePage, std::unordered_set<std::string>& read,
                 std::string* next);
  void StoreWhatWasRead(bool complete);

  std::string StartUrl;
  bool NewEntryOnly = false;
};
