#include "script/Tscriptliteral.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <string_view>

namespace {

// The bytes that quoting escapes, and the lead byte of U+2028 and U+2029.
bool IsSpecial(char c) {
  static const std::array<bool, 256> table = [] {
    std::array<bool, 256> special{};
    for (unsigned char b : {'\\', '\r', '\n', '"', '\xE2'})
      special[b] = true;
    return special;
  }();
  return table[static_cast<unsigned char>(c)];
}

} // namespace

std::string QuoteScriptString(const std::string& text) {
  std::string quoted;
  quoted.reserve(text.size() + text.size() / 16 + 2);
  quoted += '"';
  const char* p = text.data();
  const char* const end = p + text.size();
  while (p < end) {
    const char* run = p;
    while (p < end && !IsSpecial(*p))
      ++p;
    quoted.append(run, p);
    if (p == end)
      break;
    switch (*p) {
    case '\\':
      quoted += "\\\\";
      break;
    case '\r':
      if (p + 1 < end && p[1] == '\n')
        ++p;
      quoted += "\\n";
      break;
    case '\n':
      quoted += "\\n";
      break;
    case '"':
      quoted += "\\\"";
      break;
    default:
      // U+2028 and U+2029 end a line inside the engine's string literals.
      if (end - p >= 3 && p[1] == '\x80' && (p[2] == '\xA8' || p[2] == '\xA9')) {
        quoted += p[2] == '\xA8' ? "\\u2028" : "\\u2029";
        p += 2;
      } else {
        quoted += *p;
      }
    }
    ++p;
  }
  quoted += '"';
  return quoted;
}

std::optional<std::string> UnquoteScriptString(const std::string& source) {
  if (source.size() < 2 || source.front() != '"' || source.back() != '"')
    return std::nullopt;
  std::string text;
  text.reserve(source.size());
  const char* p = source.data() + 1;
  const char* const end = source.data() + source.size() - 1;
  while (p < end) {
    const char* run = p;
    while (p < end && !IsSpecial(*p))
      ++p;
    text.append(run, p);
    if (p == end)
      break;
    if (*p == '\xE2') {
      if (end - p >= 3 && p[1] == '\x80' && (p[2] == '\xA8' || p[2] == '\xA9'))
        return std::nullopt;
      text += *p++;
      continue;
    }
    if (*p != '\\' || end - p < 2)
      return std::nullopt;
    const std::string_view escape(p, std::min<ptrdiff_t>(end - p, 6));
    if (p[1] == '\\' || p[1] == '"') {
      text += p[1];
      p += 2;
    } else if (p[1] == 'n') {
      text += '\n';
      p += 2;
    } else if (escape == "\\u2028" || escape == "\\u2029") {
      text += escape == "\\u2028" ? "\xE2\x80\xA8" : "\xE2\x80\xA9";
      p += 6;
    } else {
      return std::nullopt;
    }
  }
  return text;
}
