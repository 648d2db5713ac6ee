#include "crawl/Tcrawljob.h"

#include "crawl/Tcrawllistener.h"
#include "net/Tkurlkey.h"
#include "net/Tpagefetch.h"
#include "net/Turllimits.h"

#include <stdexcept>

TCrawlJob::TCrawlJob() {
  Http.SetCancelFlag(&Canceled);
  Http.SetRedirectListener([this](const std::string& status, const std::string& from, const std::string& to) {
    Log("転送: " + from + " → " + WithoutCredentials(to) + " (" + status + ")");
  });
}

void TCrawlJob::SetHttpTimeLimits(std::chrono::milliseconds connect, std::chrono::milliseconds idle) {
  Http.SetTimeLimits(connect, idle);
}

void TCrawlJob::SetHttpBodyLimits(std::size_t maxBody, std::chrono::milliseconds total) {
  Http.SetBodyLimits(maxBody, total);
}

std::string TCrawlJob::FetchPage(const std::string& url, int codePage) {
  try {
    return ::FetchPage(Http, url, codePage);
  } catch (const std::exception&) {
    if (Canceled)
      throw CanceledInFlight{};
    throw;
  }
}

bool TCrawlJob::Redirected(std::string& url, std::unordered_set<std::string>& read) const {
  if (!Http.WasRedirected())
    return true;
  url = Http.GetFinalUrl();
  return read.insert(PageKey(url)).second;
}

std::string TCrawlJob::Absolute(const std::string& url) const {
  CheckUrlLength(url);
  if (url.empty() || HasUrlScheme(url))
    return url;
  try {
    return Http.Resolve(url);
  } catch (const std::runtime_error&) {
    return url;
  }
}

std::string TCrawlJob::ReadScript() const {
  return ReadBlogTypeScript(BlogConfig);
}

void TCrawlJob::Log(const std::string& line) {
  if (Listener)
    Listener->Log(line);
}

void TCrawlJob::ShowUrl(const std::string& url) {
  if (Listener)
    Listener->ShowUrl(url);
}

bool TCrawlJob::Guarded(const std::string& url, const std::function<void()>& step) {
  try {
    step();
    return true;
  } catch (const ReadAgain&) {
    Log("Error: " + url + " は既に読んだページです。");
  } catch (const std::exception& e) {
    Log("Error: " + url);
    Log(e.what());
  }
  return false;
}
