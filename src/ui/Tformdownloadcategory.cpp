#include "ui/Tformdownloadcategory.h"

#include "crawl/Tcategorycrawl.h"
#include "ui_Tformdownloadcategory.h"

TFormDownloadCategory::TFormDownloadCategory(QWidget* parent)
    : TCrawlDialog(parent, std::make_unique<TCategoryCrawl>()),
      Form(std::make_unique<Ui::TFormDownloadCategory>()) {
  Form->setupUi(this);
  Bind({Form->LabelUrl, Form->Memo1, Form->BtnCancel, Form->BtnClose});
}

TFormDownloadCategory::~TFormDownloadCategory() = default;

void TFormDownloadCategory::SetCategories(const std::vector<TCategoryData>& categories) {
  Crawl().SetCategories(categories);
}

void TFormDownloadCategory::SetDb(TProjectDb* db) {
  Crawl().SetDb(db);
}

void TFormDownloadCategory::SetBlogConfig(const TBlogConfig& blogConfig) {
  Crawl().SetBlogConfig(blogConfig);
}

void TFormDownloadCategory::ShowCategoryProgress(int minimum, int maximum, int position) {
  Form->ProgressBarCategory->setRange(minimum, maximum);
  Form->ProgressBarCategory->setValue(position);
}

void TFormDownloadCategory::ShowEntryProgress(int minimum, int maximum, int position) {
  Form->ProgressBarEntry->setRange(minimum, maximum);
  Form->ProgressBarEntry->setValue(position);
}

TCategoryCrawl& TFormDownloadCategory::Crawl() {
  return static_cast<TCategoryCrawl&>(Job());
}
