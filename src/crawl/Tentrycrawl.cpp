#include "crawl/Tentrycrawl.h"

#include "crawl/Tentryparser.h"
#include "net/Tkurlkey.h"
#include "net/Tpagefetch.h"
#include "store/Tdbconnection.h"
#include "store/Tentry.h"
#include "store/Tprojectdb.h"
#include "text/Tkdatetext.h"

#include <sqlite3.h>

#include <filesystem>
#include <stdexcept>
#include <unordered_set>

bool TEntryCrawl::Run() {
  const int sleepTime = ApplyConnectionSettings(Http);
  DeleteEntries(*Db, true);
  std::string url = StartUrl;
  TEntryParser parser;
  parser.SetTimeLimit(ScriptTimeLimit);
  parser.SetBlogTypeName(BlogConfig.GetName());
  bool complete = false;
  const bool failed = !Guarded(url, [&] { complete = Crawl(url, parser, sleepTime); });
  // New entries found before a failure are not known to lead up to the stored ones.
  if (failed && NewEntryOnly)
    return false;
  if (!Guarded(url, [&] { StoreWhatWasRead(complete); }))
    return false;
  if (failed)
    return false;
  Log("終了しました。");
  return true;
}

bool TEntryCrawl::Crawl(std::string& url, TEntryParser& parser, int sleepTime) {
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
    ReadChain(url, parser, codePage, sleepTime);
  } catch (const CanceledInFlight&) {
    // A cancel that stopped a request ends the crawl as a cancel seen in the loop.
  }
  return url.empty();
}

void TEntryCrawl::ReadChain(std::string& url, TEntryParser& parser, int codePage, int sleepTime) {
  // One transaction for the chain instead of one per entry, each of which writes
  // the file. However the chain ends, what it staged is kept for the final step.
  TDbTransaction transaction(Db->GetConnection());
  std::unordered_set<std::string> read;
  try {
    while (!url.empty() && !Canceled) {
      if (!read.insert(UrlKey(url)).second)
        throw ReadAgain{};
      ShowUrl(url);
      const std::string page = FetchPage(url, codePage);
      const TParsedEntry parsed = parser.Parse(page);
      if (parsed.Date.empty() && parsed.Title.empty())
        throw std::runtime_error("ERROR: " + url);
      if (NewEntryOnly && EntryExists(*Db, url)) {
        url.clear();
        break;
      }
      const std::optional<double> date = ReadDateText(parsed.Date);
      if (!date)
        Log("Error: " + parsed.Date + " は日付ではありません。");
      InsertEntry(*Db, url, parsed.Title, date.value_or(0), true);
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
}

void TEntryCrawl::StoreWhatWasRead(bool complete) {
  if (NewEntryOnly) {
    MergeStagedEntries(*Db);
    return;
  }
  const std::int32_t read = CountEntries(*Db, true);
  if (complete) {
    ReplaceEntriesWithStaged(*Db);
    Log("エントリーの一覧を読み込んだ " + std::to_string(read) + " 件で置き換えました。");
    return;
  }
  MergeStagedEntries(*Db);
  const std::int32_t kept = CountEntries(*Db, false) - read;
  Log("最後まで読めなかったため、読み込んだ " + std::to_string(read) +
      " 件の後ろに保存済みのエントリー " + std::to_string(kept) + " 件を残しました。");
}
