#pragma once

#include "crawl/Tblogconfig.h"
#include "net/Thttpclient.h"

#include <atomic>
#include <string>

// A page fetched once as the crawls fetch it (connection settings, time limits,
// redirects), then read in the charset of whichever blog type asks.
class TFetchedPage {
public:
  explicit TFetchedPage(const std::atomic<bool>* cancel) { Http.SetCancelFlag(cancel); }

  // For further pages on the same connection settings.
  THttpClient& Client() { return Http; }
  // Throws std::runtime_error with the network's message when it cannot be read.
  void Fetch(const std::string& url);
  // The page's address after redirects.
  const std::string& GetUrl() const { return Url; }
  // The page as UTF-8, decoded in the blog type's charset.
  std::string TextFor(const TBlogConfig& blogType) const;

private:
  THttpClient Http;
  std::string Url;
  std::string Body;
  std::string ContentType;
};
