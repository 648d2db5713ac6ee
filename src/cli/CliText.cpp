#include "cli/CliText.h"

#include "text/Tkutf8.h"

#include <cstdio>

namespace {

constexpr char32_t Replacement = 0xFFFD;

// Columns a character takes on a terminal: East Asian wide characters take two.
// Near enough for URLs and Japanese titles.
int ColumnWidth(char32_t c) {
  const bool wide = (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0xA4CF) ||
                    (c >= 0xAC00 && c <= 0xD7A3) || (c >= 0xF900 && c <= 0xFAFF) ||
                    (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFF60) ||
                    (c >= 0xFFE0 && c <= 0xFFE6) || (c >= 0x1F300 && c <= 0x1F64F) ||
                    (c >= 0x1F900 && c <= 0x1F9FF) || (c >= 0x20000 && c <= 0x3FFFD);
  return wide ? 2 : 1;
}

}

std::string StatusLineText(std::string_view text, int columns) {
  const std::string ellipsis = "...";
  std::string out;
  size_t fitting = 0;
  int used = 0;
  for (size_t i = 0; i < text.size();) {
    const char32_t c = NextCharacter(text, i);
    used += ColumnWidth(c);
    if (used > columns) {
      out.resize(fitting);
      return out + ellipsis;
    }
    AppendUtf8(out, IsControlCharacter(c) ? Replacement : c);
    if (used <= columns - static_cast<int>(ellipsis.size()))
      fitting = out.size();
  }
  return out;
}

std::string JsonString(const std::string& text) {
  std::string out = "\"";
  out.reserve(text.size() + 2);
  for (size_t i = 0; i < text.size();) {
    const char32_t c = NextCharacter(text, i);
    switch (c) {
    case '"': out += "\\\""; break;
    case '\\': out += "\\\\"; break;
    case '\n': out += "\\n"; break;
    case '\r': out += "\\r"; break;
    case '\t': out += "\\t"; break;
    default:
      if (IsControlCharacter(c)) {
        char escaped[8];
        std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(c));
        out += escaped;
      } else {
        AppendUtf8(out, c);
      }
    }
  }
  return out + "\"";
}
