#pragma once

#include <string>

// What a crawl reports while it runs, called on the crawl's own thread.
class TCrawlListener {
public:
  virtual ~TCrawlListener() = default;

  // One line of the log, as the crawl dialog shows it.
  virtual void Log(const std::string& line) = 0;
  // The URL about to be read.
  virtual void ShowUrl(const std::string&) {}
  // The category crawl's two bars: which category, and the entries of the page.
  virtual void SetCategoryProgress(int /*minimum*/, int /*maximum*/, int /*position*/) {}
  virtual void SetEntryProgress(int /*minimum*/, int /*maximum*/, int /*position*/) {}
};
