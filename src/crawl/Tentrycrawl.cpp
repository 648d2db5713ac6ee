#include "crawl/Tentrycrawl.h"

#include "crawl/Tentryparser.h"
#include "crawl/Tkdatetext.h"
#include "crawl/Tpagefetch.h"
#include "store/Tdbconnection.h"
#include "store/Tentry.h"
#include "store/Tprojectdb.h"

#include <sqlite3.h>

#include <filesystem>
#include <stdexcept>

bool TEntryCrawl::Run() {
  const int sleepTime = ApplyConnectionSettings(Http);
  DeleteEntries(*Db, NewEntryOnly);
  std::string url = StartUrl;
  TEntryParser parser;
  parser.SetTimeLimit(ScriptTimeLimit);
  try {
    Crawl(url, parser, sleepTime);
  } catch (const std::exception& e) {
    Log("Error: " + url);
    Log(e.what());
    return false;
  }
  return true;
}

void TEntryCrawl::Crawl(std::string& url, TEntryParser& parser, int sleepTime) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(BlogConfig.GetScriptPath(), error))
    throw std::runtime_error("ブログのスクリプトファイルが見つかりません。");
  parser.LoadScript(BlogConfig.GetLanguage(), ReadScript());
  const int codePage = LookUpCodePage(BlogConfig);
  try {
    ShowUrl(url);
    const std::string top = FetchPage(url, codePage);
    url = Absolute(parser.GetRecentEntry(top));
    if (url.empty())
      throw std::runtime_error("最新エントリーのURLの取得に失敗しました。");
    Log("OK: " + url + " 最新エントリーのURLを取得しました。");
    WaitAfterPage(sleepTime, &Canceled);

    // One transaction for the chain instead of one per entry, each of which writes
    // the file. However the chain ends, what it stored is kept, as without it.
    TDbTransaction transaction(Db->GetConnection());
    try {
      while (!url.empty() && !Canceled) {
        ShowUrl(url);
        const std::string page = FetchPage(url, codePage);
        const TParsedEntry parsed = parser.Parse(page);
        if (parsed.Date.empty() && parsed.Title.empty())
          throw std::runtime_error("ERROR: " + url);
        const bool known = EntryExists(*Db, url);
        if (known && NewEntryOnly) {
          url.clear();
          break;
        }
        if (!known) {
          const std::optional<double> date = ReadDateText(parsed.Date);
          if (!date)
            Log("Error: " + parsed.Date + " は日付ではありません。");
          InsertEntry(*Db, url, parsed.Title, date.value_or(0), NewEntryOnly);
        }
        Log("OK: " + url + " " + parsed.Title);
        url = Absolute(parsed.NextUrl);
        WaitAfterPage(sleepTime, &Canceled);
      }
    } catch (...) {
      if (sqlite3_get_autocommit(Db->GetConnection().GetHandle()) == 0)
        transaction.Commit();
      throw;
    }
    transaction.Commit();
  } catch (const CanceledInFlight&) {
    // A cancel that stopped a request ends the crawl as a cancel seen in the loop.
  }
  if (NewEntryOnly)
    MergeStagedEntries(*Db);
  Log("終了しました。");
}
