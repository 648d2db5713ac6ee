#pragma once

#include "crawl/Tcrawllistener.h"

#include <iosfwd>
#include <string>

class CrawlInterruption;

// Log lines to standard output as the dialog shows them; where standard error is
// a terminal, the URL being read and the progress on one line there. Text from the
// blog is shown without its control characters. When standard output is gone the
// crawl is cancelled quietly.
class CrawlLog : public TCrawlListener {
public:
  CrawlLog(std::ostream& out, std::ostream& err, CrawlInterruption& interruption);
  ~CrawlLog() override;

  void Log(const std::string& line) override;
  void ShowUrl(const std::string& url) override;
  void SetCategoryProgress(int minimum, int maximum, int position) override;

  bool OutputGone() const { return Gone; }

private:
  void ClearStatus();

  std::ostream& Out;
  std::ostream& Err;
  CrawlInterruption& Interruption;
  bool Terminal;
  bool StatusShown = false;
  bool Gone = false;
  std::string Progress;
};
