#include "cli/CliCrawlLog.h"

#include "cli/CliSignals.h"
#include "cli/CliText.h"

#include <ostream>

#include <sys/ioctl.h>
#include <unistd.h>

namespace {

// Asked for every line: the window may have been resized.
int StatusColumns() {
  winsize size{};
  // The last column stays free: some terminals wrap on writing it.
  return ioctl(2, TIOCGWINSZ, &size) == 0 && size.ws_col > 1 ? size.ws_col - 1 : 79;
}

}

CrawlLog::CrawlLog(std::ostream& out, std::ostream& err, CrawlInterruption& interruption)
    : Out(out), Err(err), Interruption(interruption), Terminal(isatty(2) == 1) {}

CrawlLog::~CrawlLog() {
  ClearStatus();
}

void CrawlLog::Log(const std::string& line) {
  ClearStatus();
  if (Gone)
    return;
  Out << PrintableText(line) << std::endl;
  if (!Out) {
    Gone = true;
    Interruption.CancelQuietly();
  }
}

void CrawlLog::ShowUrl(const std::string& url) {
  if (!Terminal)
    return;
  Err << "\r\x1b[K" << StatusLineText(Progress + url, StatusColumns()) << std::flush;
  StatusShown = true;
}

void CrawlLog::SetCategoryProgress(int, int maximum, int position) {
  Progress = maximum > 0 && position > 0 ? "[" + std::to_string(position) + "/" + std::to_string(maximum) + "] " : "";
}

void CrawlLog::ClearStatus() {
  if (StatusShown)
    Err << "\r\x1b[K" << std::flush;
  StatusShown = false;
}
