#include "crawl/Tkurlkey.h"

std::string UrlKey(const std::string& url) {
  std::string key = url;
  for (char& c : key)
    if (c >= 'A' && c <= 'Z')
      c = static_cast<char>(c - 'A' + 'a');
  return key;
}
