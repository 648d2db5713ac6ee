#include "net/Tkurlkey.h"

#include <algorithm>

std::string UrlKey(const std::string& url) {
  std::string key = url;
  // NOCASE stops comparing at a NUL: after one, only the length tells URLs apart.
  std::fill(std::find(key.begin(), key.end(), '\0'), key.end(), '\0');
  for (char& c : key)
    if (c >= 'A' && c <= 'Z')
      c = static_cast<char>(c - 'A' + 'a');
  return key;
}
