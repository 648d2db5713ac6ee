#pragma once

#include "crawl/Tblogconfig.h"
#include "crawl/Tfetchedpage.h"
#include "script/Tscriptlimits.h"
#include "store/Tproject.h"

#include <atomic>
#include <chrono>
#include <string>
#include <vector>

// A blog type that recognises a page, and why.
struct DetectedBlogType {
  TBlogConfig BlogType;
  std::string Reason;
};

// Which blog types recognise a blog's top page, and the categories they find there.
// The page is fetched once; every blog type reads it in its own charset.
class BlogDetector {
public:
  void SetHttpTimeLimits(std::chrono::milliseconds connect, std::chrono::milliseconds idle);
  void SetScriptTimeLimit(std::chrono::milliseconds limit) { ScriptLimits.Time = limit; }
  // May be called from any thread; stops a request or a script in flight.
  void Cancel() { Canceled = true; }

  // Fetches the top page (redirects followed as the crawls follow them). Throws
  // std::runtime_error when it cannot be read.
  void Fetch(const std::string& url);
  // The page's address after redirects.
  const std::string& GetPageUrl() const { return Page.GetUrl(); }

  // The blog types whose Detect recognises the page, best first: the ones not marked
  // as a fallback before those that are, each in the list's order. A blog type whose
  // script fails is left out and its error kept.
  std::vector<DetectedBlogType> Detect(const std::vector<TBlogConfig>& blogTypes);
  // The categories the blog type lists for the page: from GetCategoryList on the
  // page itself, or on the page GetCategoryListUrl names when the script has it.
  // Empty when the script has neither; throws std::runtime_error when it fails.
  std::vector<TCategoryData> Categories(const TBlogConfig& blogType);

  // "name: message" for each blog type whose script failed during Detect.
  const std::vector<std::string>& GetErrors() const { return Errors; }

private:
  std::atomic<bool> Canceled{false};
  TFetchedPage Page{&Canceled};
  std::vector<std::string> Errors;
  TScriptLimits ScriptLimits{std::chrono::milliseconds(30000), &Canceled};
};

// Lines of "name<TAB>url" as GetCategoryList returns them: blank lines and lines
// without a name or a usable address are left out; the address is made absolute
// against pageUrl.
std::vector<TCategoryData> ParseCategoryList(const std::string& text, const std::string& pageUrl);
