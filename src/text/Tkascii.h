#pragma once

#include <algorithm>
#include <string>

// Letter case as URLs, charset names and HTML's word lists compare it: ASCII
// letters only, whatever the bytes around them.
inline char LowerAscii(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

inline void LowerAsciiInPlace(std::string::iterator first, std::string::iterator last) {
  std::transform(first, last, first, [](char c) { return LowerAscii(c); });
}
