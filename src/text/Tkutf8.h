#pragma once

#include <string>

// What a UTF-8 lead byte announces: how many trail bytes follow, the range the
// first trail byte must lie in (which excludes overlong forms, surrogates and code
// points past U+10FFFF) and the lead's own bits of the character.
struct TUtf8Lead {
  int Trail = 0;
  unsigned char Low = 0x80;
  unsigned char High = 0xBF;
  char32_t Bits = 0;
};

// False for a byte that starts no multi-byte character (ASCII, a trail byte, or a
// byte that never occurs in UTF-8).
inline bool ReadUtf8Lead(unsigned char lead, TUtf8Lead& shape) {
  shape = TUtf8Lead{};
  if (lead >= 0xC2 && lead <= 0xDF) {
    shape.Trail = 1;
    shape.Bits = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    shape.Trail = 2;
    shape.Bits = lead & 0x0F;
    if (lead == 0xE0)
      shape.Low = 0xA0;
    else if (lead == 0xED)
      shape.High = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    shape.Trail = 3;
    shape.Bits = lead & 0x07;
    if (lead == 0xF0)
      shape.Low = 0x90;
    else if (lead == 0xF4)
      shape.High = 0x8F;
  } else {
    return false;
  }
  return true;
}

// Appends the character, a code point up to U+10FFFF, in UTF-8.
inline void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}
