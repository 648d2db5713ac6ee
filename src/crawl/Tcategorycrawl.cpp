#include "crawl/Tcategorycrawl.h"

#include "crawl/Tcategoryparser.h"
#include "crawl/Tcrawllistener.h"
#include "crawl/Tpagefetch.h"
#include "store/Tcategory.h"
#include "store/Tcategoryentry.h"

#include <filesystem>
#include <stdexcept>

bool TCategoryCrawl::Run() {
  const int count = static_cast<int>(CategoryList.size());
  if (Listener) {
    Listener->SetCategoryProgress(0, count, 0);
    Listener->SetEntryProgress(0, 0, 0);
  }
  const int sleepTime = ApplyConnectionSettings(Http);
  DeleteCategories(*Db);
  InsertCategory(*Db, 0, " ", "");
  DeleteCategoryMemberships(*Db);
  std::string url;
  try {
    Crawl(url, sleepTime);
  } catch (const std::exception& e) {
    Log("Error: " + url);
    Log(e.what());
    return false;
  }
  return true;
}

void TCategoryCrawl::Crawl(std::string& url, int sleepTime) {
  const std::string scriptPath = BlogConfig.GetScriptPath();
  std::error_code error;
  if (!std::filesystem::is_regular_file(scriptPath, error))
    throw std::runtime_error("スクリプトファイルが見つかりません。\n" + scriptPath);
  TCategoryParser parser;
  parser.SetTimeLimit(ScriptTimeLimit);
  parser.LoadScript(BlogConfig.GetLanguage(), ReadScript());
  try {
    for (int i = 0; i < static_cast<int>(CategoryList.size()); ++i) {
      if (Listener) {
        Listener->SetCategoryProgress(0, static_cast<int>(CategoryList.size()), i + 1);
        Listener->SetEntryProgress(0, 0, 0);
      }
      url = CategoryList[i].url;
      if (Canceled)
        break;
      InsertCategory(*Db, i + 1, CategoryList[i].name, CategoryList[i].url);
      ReadCategory(parser, i + 1, url);
      WaitAfterPage(sleepTime, &Canceled);
    }
  } catch (const CanceledInFlight&) {
    // A cancel that stopped a request ends the crawl as a cancel seen between categories.
  }
  Log("終了しました。");
}

std::string TCategoryCrawl::AbsoluteOrAsIs(const std::string& url) const {
  try {
    return Absolute(url);
  } catch (const std::exception&) {
    // A line that is no URL at all is stored as the script gave it.
    return url;
  }
}

void TCategoryCrawl::ReadCategory(TCategoryParser& parser, int id, std::string& url) {
  const std::string& name = CategoryList[static_cast<size_t>(id - 1)].name;
  while (!url.empty()) {
    ShowUrl(url);
    const std::string page = FetchPage(url, LookUpCodePage(BlogConfig));
    std::vector<std::string> urls = parser.GetEntryUrl(page);
    if (parser.HasError())
      throw std::runtime_error(parser.GetErrorText());
    for (std::string& entryUrl : urls)
      entryUrl = AbsoluteOrAsIs(entryUrl);
    if (Listener)
      Listener->SetEntryProgress(0, static_cast<int>(urls.size()), 0);
    if (!urls.empty())
      InsertCategoryMemberships(*Db, id, urls);
    Log("OK: " + url + " " + name);
    url = Absolute(parser.GetNextCategoryUrl(page));
    if (parser.HasError())
      throw std::runtime_error(parser.GetErrorText());
  }
}
