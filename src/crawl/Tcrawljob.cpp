#include "crawl/Tcrawljob.h"

#include "crawl/Tcrawllistener.h"
#include "crawl/Tktextfile.h"
#include "crawl/Tktextlines.h"
#include "crawl/Tpagefetch.h"

#include <algorithm>

namespace {

bool IsLetter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool IsSchemeChar(char c) {
  return IsLetter(c) || (c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.';
}

// A scheme and ":" at its start ("http:", "mailto:"); "://" later in the text, in a
// query for instance, does not make a URL absolute.
bool HasScheme(const std::string& url) {
  const size_t colon = url.find(':');
  if (colon == std::string::npos || colon == 0 || !IsLetter(url[0]))
    return false;
  return std::all_of(url.begin(), url.begin() + static_cast<std::ptrdiff_t>(colon), IsSchemeChar);
}

} // namespace

TCrawlJob::TCrawlJob() {
  Http.SetCancelFlag(&Canceled);
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

std::string TCrawlJob::Absolute(const std::string& url) const {
  if (url.empty() || HasScheme(url))
    return url;
  try {
    return Http.Resolve(url);
  } catch (const std::exception&) {
    return url;
  }
}

std::string TCrawlJob::ReadScript() const {
  std::string code;
  for (const std::string& line : SplitLines(ReadTextFile(BlogConfig.GetScriptPath())))
    code += line + "\r\n";
  return code;
}

void TCrawlJob::Log(const std::string& line) {
  if (Listener)
    Listener->Log(line);
}

void TCrawlJob::ShowUrl(const std::string& url) {
  if (Listener)
    Listener->ShowUrl(url);
}
