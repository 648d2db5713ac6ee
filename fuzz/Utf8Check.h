#pragma once

#include <string_view>

// Strict UTF-8 written out plainly from the standard's table of well-formed byte
// sequences, to check the program's own faster readers against.
inline bool IsWellFormedUtf8(std::string_view text) {
  size_t i = 0;
  const auto at = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
  const auto within = [&](size_t k, unsigned low, unsigned high) {
    return k < text.size() && at(k) >= low && at(k) <= high;
  };
  while (i < text.size()) {
    const unsigned b = at(i);
    if (b <= 0x7F) {
      i += 1;
    } else if (b >= 0xC2 && b <= 0xDF && within(i + 1, 0x80, 0xBF)) {
      i += 2;
    } else if (b >= 0xE0 && b <= 0xEF &&
               within(i + 1, b == 0xE0 ? 0xA0 : 0x80, b == 0xED ? 0x9F : 0xBF) &&
               within(i + 2, 0x80, 0xBF)) {
      i += 3;
    } else if (b >= 0xF0 && b <= 0xF4 &&
               within(i + 1, b == 0xF0 ? 0x90 : 0x80, b == 0xF4 ? 0x8F : 0xBF) &&
               within(i + 2, 0x80, 0xBF) && within(i + 3, 0x80, 0xBF)) {
      i += 4;
    } else {
      return false;
    }
  }
  return true;
}
