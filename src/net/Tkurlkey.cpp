#include "net/Tkurlkey.h"

#include "text/Tkascii.h"

#include <algorithm>

std::string UrlKey(const std::string& url) {
  std::string key = url;
  // NOCASE stops comparing at a NUL: after one, only the length tells URLs apart.
  std::fill(std::find(key.begin(), key.end(), '\0'), key.end(), '\0');
  LowerAsciiInPlace(key.begin(), key.end());
  return key;
}

std::string PageKey(const std::string& url) {
  const size_t scheme = url.find("://");
  if (scheme == std::string::npos)
    return url;
  const size_t authorityEnd = std::min(url.find_first_of("/?#", scheme + 3), url.size());
  // Letters in user names and passwords keep their case.
  const size_t at = url.rfind('@', authorityEnd);
  const size_t hostStart = at != std::string::npos && at > scheme ? at + 1 : scheme + 3;
  std::string key = url;
  LowerAsciiInPlace(key.begin(), key.begin() + static_cast<std::ptrdiff_t>(scheme));
  LowerAsciiInPlace(key.begin() + static_cast<std::ptrdiff_t>(hostStart),
                    key.begin() + static_cast<std::ptrdiff_t>(authorityEnd));
  return key;
}
