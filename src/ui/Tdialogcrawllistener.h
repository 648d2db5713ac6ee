#pragma once

#include "crawl/Tcrawllistener.h"

class TCrawlDialog;

// Hands what the crawl reports, on the crawl's thread, to the dialog's thread. It
// only posts: nothing reaches a dialog that is gone.
class TDialogCrawlListener : public TCrawlListener {
public:
  explicit TDialogCrawlListener(TCrawlDialog* dialog) : Dialog(dialog) {}

  void Log(const std::string& line) override;
  void ShowUrl(const std::string& url) override;
  void SetCategoryProgress(int minimum, int maximum, int position) override;
  void SetEntryProgress(int minimum, int maximum, int position) override;

private:
  TCrawlDialog* Dialog;
};
