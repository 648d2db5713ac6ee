#pragma once

#include "ui/Tcrawldialog.h"

#include <memory>
#include <string>

class TBlogConfig;
class TEntryCrawl;
class TProjectDb;

namespace Ui {
class TFormDownloadEntry;
}

// The entry crawl's dialog: exec() starts the crawl once the dialog is shown and
// returns when it closes, the crawl having ended by then.
class TFormDownloadEntry : public TCrawlDialog {
  Q_OBJECT

public:
  explicit TFormDownloadEntry(QWidget* parent = nullptr);
  ~TFormDownloadEntry() override;

  void SetStartUrl(const std::string& url);
  void SetDb(TProjectDb* db);
  void SetNewEntryOnly(bool newEntryOnly);
  void SetBlogConfig(const TBlogConfig& blogConfig);

private:
  TEntryCrawl& Crawl();

  const std::unique_ptr<Ui::TFormDownloadEntry> Form;
};
