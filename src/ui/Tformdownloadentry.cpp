#include "ui/Tformdownloadentry.h"

#include "crawl/Tentrycrawl.h"
#include "ui_Tformdownloadentry.h"

TFormDownloadEntry::TFormDownloadEntry(QWidget* parent)
    : TCrawlDialog(parent, std::make_unique<TEntryCrawl>()), Form(std::make_unique<Ui::TFormDownloadEntry>()) {
  Form->setupUi(this);
  Bind({Form->LabelUrl, Form->Memo1, Form->BtnCancel, Form->BtnClose});
}

TFormDownloadEntry::~TFormDownloadEntry() = default;

void TFormDownloadEntry::SetStartUrl(const std::string& url) {
  Crawl().SetStartUrl(url);
}

void TFormDownloadEntry::SetDb(TProjectDb* db) {
  Crawl().SetDb(db);
}

void TFormDownloadEntry::SetNewEntryOnly(bool newEntryOnly) {
  Crawl().SetNewEntryOnly(newEntryOnly);
}

void TFormDownloadEntry::SetBlogConfig(const TBlogConfig& blogConfig) {
  Crawl().SetBlogConfig(blogConfig);
}

TEntryCrawl& TFormDownloadEntry::Crawl() {
  return static_cast<TEntryCrawl&>(Job());
}
