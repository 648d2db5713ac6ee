#include "crawl/Tfetchedpage.h"

#include "net/Tpagefetch.h"

void TFetchedPage::Fetch(const std::string& url) {
  ApplyConnectionSettings(Http);
  Body = Http.Get(url);
  ContentType = Http.GetContentType();
  Url = Http.GetFinalUrl();
}

std::string TFetchedPage::TextFor(const TBlogConfig& blogType) const {
  return DecodePage(Body, ContentType, LookUpCodePage(blogType));
}
