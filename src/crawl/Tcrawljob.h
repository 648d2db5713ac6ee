#pragma once

#include "crawl/Tblogconfig.h"
#include "net/Thttpclient.h"
#include "script/Tscriptlimits.h"

#include <atomic>
#include <chrono>
#include <cstddef>
#include <functional>
#include <string>
#include <unordered_set>

class TCrawlListener;
class TProjectDb;

// What the two crawls share: their inputs, the HTTP client, the listener and the
// cancel flag. Cancel may be called from any thread; it also stops a request in
// flight.
class TCrawlJob {
public:
  TCrawlJob();
  virtual ~TCrawlJob() = default;
  TCrawlJob(const TCrawlJob&) = delete;
  TCrawlJob& operator=(const TCrawlJob&) = delete;

  void SetDb(TProjectDb* db) { Db = db; }
  void SetBlogConfig(const TBlogConfig& blogConfig) { BlogConfig = blogConfig; }
  void SetListener(TCrawlListener* listener) { Listener = listener; }
  void SetHttpTimeLimits(std::chrono::milliseconds connect, std::chrono::milliseconds idle);
  void SetHttpBodyLimits(std::size_t maxBody, std::chrono::milliseconds total);
  // See THttpClient::PinPublicHost.
  void PinPublicHost(const std::string& host, int port, const std::string& address) {
    Http.PinPublicHost(host, port, address);
  }
  void SetScriptTimeLimit(std::chrono::milliseconds limit) { ScriptTimeLimit.Time = limit; }

  void Cancel() { Canceled = true; }
  bool IsCanceled() const { return Canceled; }

  // Runs the crawl to its end. Failures of the steps before the guarded part
  // throw; failures inside it are logged. True when it ended without a failure.
  virtual bool Run() = 0;

protected:
  // Thrown where a canceled request or script call stops the crawl; the crawl then
  // ends as after a cancel seen at its usual place.
  using CanceledInFlight = TCanceled;
  // Thrown where a chain leads back to a page it already read: it would read the same
  // pages for ever. The crawl logs it in one line and ends as after a failure.
  struct ReadAgain {};

  // Runs one step of the guarded part. A failure is logged as the crawl's error
  // lines, url being the page in hand when it happened. False when it failed.
  bool Guarded(const std::string& url, const std::function<void()>& step);
  std::string FetchPage(const std::string& url, int codePage);
  // After a fetch: url becomes the address the request ended at. False when a
  // redirect led to a page already read (its key is added to read otherwise).
  bool Redirected(std::string& url, std::unordered_set<std::string>& read) const;
  // A URL a script returned, made absolute against the page read last, so that what
  // is stored links and joins wherever it is used. An absolute one stays as written,
  // and so does one that cannot be resolved: fetching it then fails naming it. One
  // too long to fetch fails here, before it is shown or logged.
  std::string Absolute(const std::string& url) const;
  // The blog type's script text, its lines ending in CR LF.
  std::string ReadScript() const;
  void Log(const std::string& line);
  void ShowUrl(const std::string& url);

  TProjectDb* Db = nullptr;
  TBlogConfig BlogConfig;
  TCrawlListener* Listener = nullptr;
  THttpClient Http;
  TScriptLimits ScriptTimeLimit{std::chrono::milliseconds(30000), &Canceled};
  std::atomic<bool> Canceled{false};
};
