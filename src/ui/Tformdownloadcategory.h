#pragma once

#include "ui/Tcrawldialog.h"

#include <memory>
#include <vector>

class TBlogConfig;
class TCategoryCrawl;
class TProjectDb;
struct TCategoryData;

namespace Ui {
class TFormDownloadCategory;
}

// The category crawl's dialog, with a bar for the categories and one for the
// entries of the page read last. exec() as for the entry crawl's dialog.
class TFormDownloadCategory : public TCrawlDialog {
  Q_OBJECT

public:
  explicit TFormDownloadCategory(QWidget* parent = nullptr);
  ~TFormDownloadCategory() override;

  void SetCategories(const std::vector<TCategoryData>& categories);
  void SetDb(TProjectDb* db);
  void SetBlogConfig(const TBlogConfig& blogConfig);

  void ShowCategoryProgress(int minimum, int maximum, int position) override;
  void ShowEntryProgress(int minimum, int maximum, int position) override;

private:
  TCategoryCrawl& Crawl();

  const std::unique_ptr<Ui::TFormDownloadCategory> Form;
};
