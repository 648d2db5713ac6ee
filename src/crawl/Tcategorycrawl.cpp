#include "crawl/Tcategorycrawl.h"

#include "crawl/Tcategoryparser.h"
#include "crawl/Tcategoryreads.h"
#include "crawl/Tcrawllistener.h"
#include "net/Tkurlkey.h"
#include "net/Tpagefetch.h"
#include "store/Tcategory.h"

#include <filesystem>
#include <stdexcept>
#include <unordered_set>

bool TCategoryCrawl::Run() {
  const int count = static_cast<int>(CategoryList.size());
  if (Listener) {
    Listener->SetCategoryProgress(0, count, 0);
    Listener->SetEntryProgress(0, 0, 0);
  }
  const int sleepTime = ApplyConnectionSettings(Http);
  // Stored memberships of a category this run does not finish are still right only
  // for the list they were read with.
  const bool sameList = LoadCategoryCrawlList(*Db) == CategoryListText(CategoryList);
  TCategoryReads reads(CategoryList.size());
  std::string url;
  const bool failed = !Guarded(url, [&] { Crawl(url, sleepTime, reads); });
  if (!Guarded(url, [&] { reads.Store(*Db, CategoryList, sameList); }))
    return false;
  if (failed)
    return false;
  Log("終了しました。");
  return true;
}

void TCategoryCrawl::Crawl(std::string& url, int sleepTime, TCategoryReads& reads) {
  const std::string scriptPath = BlogConfig.GetScriptPath();
  std::error_code error;
  if (!std::filesystem::is_regular_file(scriptPath, error))
    throw std::runtime_error("スクリプトファイルが見つかりません。\n" + scriptPath);
  TCategoryParser parser;
  parser.SetTimeLimit(ScriptTimeLimit);
  parser.SetBlogTypeName(BlogConfig.GetName());
  parser.LoadScript(BlogConfig.GetLanguage(), ReadScript());
  try {
    for (std::size_t i = 0; i < CategoryList.size(); ++i) {
      if (Listener) {
        Listener->SetCategoryProgress(0, static_cast<int>(CategoryList.size()), static_cast<int>(i + 1));
        Listener->SetEntryProgress(0, 0, 0);
      }
      url = CategoryList[i].url;
      if (Canceled)
        break;
      ReadCategory(parser, i, url, reads);
      WaitAfterPage(sleepTime, &Canceled);
    }
  } catch (const CanceledInFlight&) {
    // A cancel that stopped a request ends the crawl as a cancel seen between categories.
  }
}

void TCategoryCrawl::ReadCategory(TCategoryParser& parser, std::size_t index, std::string& url,
                                  TCategoryReads& reads) {
  const std::string& name = CategoryList[index].name;
  std::unordered_set<std::string> read;
  while (!url.empty()) {
    if (!read.insert(PageKey(url)).second)
      throw ReadAgain{};
    ShowUrl(url);
    const std::string page = FetchPage(url, LookUpCodePage(BlogConfig));
    if (!Redirected(url, read))
      throw ReadAgain{};
    std::vector<std::string> urls = parser.GetEntryUrl(page, url);
    if (parser.HasError())
      throw std::runtime_error(parser.GetErrorText());
    for (std::string& entryUrl : urls)
      entryUrl = Absolute(entryUrl);
    reads.Add(index, urls);
    // The entries of the page are taken: the bar shows them all done.
    if (Listener)
      Listener->SetEntryProgress(0, static_cast<int>(urls.size()), static_cast<int>(urls.size()));
    Log("OK: " + url + " " + name);
    url = Absolute(parser.GetNextCategoryUrl(page, url));
    if (parser.HasError())
      throw std::runtime_error(parser.GetErrorText());
  }
  reads.MarkComplete(index);
}
