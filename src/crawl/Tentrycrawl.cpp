#include "crawl/Tentrycrawl.h"

#include "crawl/Tentryparser.h"
#include "net/Thttpclient.h"
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

namespace {

// A title of megabytes makes every repaint of its row slow; a longer one keeps
// this many characters, the last of them "…".
constexpr std::size_t MaxTitleCharacters = 2000;

bool StartsCharacter(char byte) {
  return (static_cast<unsigned char>(byte) & 0xC0) != 0x80;
}

// Cuts between characters, never inside one's UTF-8 sequence.
std::string CappedTitle(const std::string& title) {
  std::size_t characters = 0;
  std::size_t cut = 0;
  for (std::size_t index = 0; index < title.size(); ++index) {
    if (!StartsCharacter(title[index]))
      continue;
    if (characters == MaxTitleCharacters - 1)
      cut = index;
    if (++characters > MaxTitleCharacters)
      return title.substr(0, cut) + "…";
  }
  return title;
}

}

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
    // One transaction for the whole crawl instead of one per entry, each of which
    // writes the file. However the crawl ends, what it staged is kept for the final step.
    TDbTransaction transaction(Db->GetConnection());
    try {
      if (parser.HasEntryList())
        ReadLists(url, parser, codePage, sleepTime);
      else
        ReadChain(url, parser, codePage, sleepTime);
    } catch (...) {
      if (sqlite3_get_autocommit(Db->GetConnection().GetHandle()) == 0)
        transaction.Commit();
      throw;
    }
    transaction.Commit();
  } catch (const CanceledInFlight&) {
    // A cancel that stopped a request ends the crawl as a cancel seen in the loop.
  }
  return url.empty();
}

void TEntryCrawl::ReadChain(std::string& url, TEntryParser& parser, int codePage, int sleepTime) {
  ShowUrl(url);
  std::unordered_set<std::string> read;
  const std::string top = FetchPage(url, codePage);
  Redirected(url, read);
  const std::string newest = Absolute(parser.GetRecentEntry(top, url));
  if (newest.empty())
    throw std::runtime_error("最新エントリーのURLの取得に失敗しました。");
  url = newest;
  Log("OK: " + url + " 最新エントリーのURLを取得しました。");
  WaitAfterPage(sleepTime, &Canceled);
  read.clear();
  FollowChain(url, parser, codePage, sleepTime, read);
}

void TEntryCrawl::FollowChain(std::string& url, TEntryParser& parser, int codePage, int sleepTime,
                              std::unordered_set<std::string>& read) {
  while (!url.empty() && !Canceled) {
    std::string next;
    if (!ReadEntry(url, parser, codePage, read, &next)) {
      url.clear();
      break;
    }
    url = next;
    WaitAfterPage(sleepTime, &Canceled);
  }
}

void TEntryCrawl::ReadLists(std::string& url, TEntryParser& parser, int codePage, int sleepTime) {
  std::unordered_set<std::string> listsRead{PageKey(url)};
  std::unordered_set<std::string> entriesRead;
  std::string listUrl = url;
  // The older-entry link of the oldest entry read from the last list page, when the
  // script has GetNextUrl: asked there only, as no other is followed.
  std::string older;
  for (bool first = true; !listUrl.empty() && !Canceled; first = false) {
    url = listUrl;
    ShowUrl(url);
    const std::string page = FetchPage(url, codePage);
    if (!Redirected(url, listsRead))
      throw ReadAgain{};
    const std::string pageUrl = url;
    const std::vector<std::string> entries = parser.GetEntryList(page, pageUrl);
    if (first && entries.empty())
      throw std::runtime_error("エントリーの一覧にエントリーが見つかりません。");
    listUrl = Absolute(parser.GetNextEntryListUrl(page, pageUrl));
    Log("OK: " + pageUrl + " エントリーの一覧 (" + std::to_string(entries.size()) + " 件) を取得しました。");
    WaitAfterPage(sleepTime, &Canceled);
    std::string* const olderLink = listUrl.empty() && parser.HasNextUrl() ? &older : nullptr;
    for (const std::string& entry : entries) {
      if (Canceled)
        return;
      url = ResolveUrlAgainst(pageUrl, entry);
      // The same entry listed twice (or on two pages) is read once.
      if (entriesRead.count(PageKey(url)) != 0)
        continue;
      if (!ReadEntry(url, parser, codePage, entriesRead, olderLink)) {
        url.clear();
        return;
      }
      WaitAfterPage(sleepTime, &Canceled);
    }
    if (!listUrl.empty() && !listsRead.insert(PageKey(listUrl)).second) {
      url = listUrl;
      throw ReadAgain{};
    }
  }
  if (Canceled)
    return;
  // Where the lists end, the older entries may still be linked one to the next.
  url = older;
  FollowChain(url, parser, codePage, sleepTime, entriesRead);
}

bool TEntryCrawl::ReadEntry(std::string& url, TEntryParser& parser, int codePage,
                            std::unordered_set<std::string>& read, std::string* next) {
  if (!read.insert(PageKey(url)).second)
    throw ReadAgain{};
  ShowUrl(url);
  const std::string page = FetchPage(url, codePage);
  if (!Redirected(url, read))
    throw ReadAgain{};
  const TParsedEntry parsed = next ? parser.Parse(page, url) : parser.ParseListed(page, url);
  const std::string title = CappedTitle(parsed.Title);
  if (parsed.Date.empty() && parsed.Title.empty())
    throw std::runtime_error("ERROR: " + url);
  if (NewEntryOnly && EntryExists(*Db, url))
    return false;
  const std::optional<double> date = ReadDateText(parsed.Date);
  if (!date)
    Log("Error: " + parsed.Date + " は日付ではありません。");
  InsertEntry(*Db, url, title, date.value_or(0), true);
  Log("OK: " + url + " " + title);
  if (next)
    *next = Absolute(parsed.NextUrl);
  return true;
}

void TEntryCrawl::StoreWhatWasRead(bool complete) {
  if (NewEntryOnly) {
    MergeStagedEntries(*Db);
    return;
  }
  const std::int32_t read = CountEntries(*Db, true);
  if (complete) {
    const std::int32_t stored = CountEntries(*Db, false);
    ReplaceEntriesWithStaged(*Db);
    if (read < stored)
      Log("保存済みの " + std::to_string(stored) + " 件を、読み込んだ " + std::to_string(read) + " 件で置き換えました。");
    else
      Log("エントリーの一覧を読み込んだ " + std::to_string(read) + " 件で置き換えました。");
    return;
  }
  MergeStagedEntries(*Db);
  const std::int32_t kept = CountEntries(*Db, false) - read;
  Log("最後まで読めなかったため、読み込んだ " + std::to_string(read) +
      " 件の後ろに保存済みのエントリー " + std::to_string(kept) + " 件を残しました。");
}
