// The text of tocwerk-toc: escaped text holds no markup, reads back as the text,
// and stays valid UTF-8; text as the page shows it is valid UTF-8 without control
// characters whatever it was; only web addresses become links.
#include "FuzzCheck.h"
#include "Utf8Check.h"

#include "toc/TocHtml.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace {

constexpr std::string_view Entities[][2] = {
    {"&amp;", "&"}, {"&lt;", "<"}, {"&gt;", ">"}, {"&quot;", "\""}, {"&#39;", "'"}};

// The text a browser shows for escaped text, or "\x01" when an '&' starts no
// entity the escaping writes.
std::string Unescaped(std::string_view html) {
  std::string text;
  for (size_t i = 0; i < html.size(); ++i) {
    if (html[i] != '&') {
      text += html[i];
      continue;
    }
    bool known = false;
    for (const auto& [entity, character] : Entities)
      if (html.substr(i).starts_with(entity)) {
        text += character;
        i += entity.size() - 1;
        known = true;
        break;
      }
    if (!known)
      return "\x01";
  }
  return text;
}

// No C0 control but tab, line feed and carriage return, no DEL, no C1 control
// (U+0080 to U+009F, written C2 80 to C2 9F).
bool HoldsOnlyPageControls(std::string_view text) {
  for (size_t i = 0; i < text.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if ((c < 0x20 && c != '\t' && c != '\n' && c != '\r') || c == 0x7F)
      return false;
    if (c == 0xC2 && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) <= 0x9F)
      return false;
  }
  return true;
}

bool StartsWithIgnoringCase(std::string_view text, std::string_view lowerPrefix) {
  if (text.size() < lowerPrefix.size())
    return false;
  for (size_t i = 0; i < lowerPrefix.size(); ++i) {
    char c = text[i];
    if (c >= 'A' && c <= 'Z')
      c = static_cast<char>(c - 'A' + 'a');
    if (c != lowerPrefix[i])
      return false;
  }
  return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);

  const std::string escaped = Escaped(text);
  Require(escaped.find_first_of("<>\"'") == std::string::npos, "escaped text holds no markup character");
  Require(Unescaped(escaped) == text, "every '&' starts an entity and the text reads back");
  if (IsWellFormedUtf8(text))
    Require(IsWellFormedUtf8(escaped), "escaping keeps valid UTF-8 valid");

  const std::string shown = Escaped(PageText(text));
  Require(IsWellFormedUtf8(shown), "the page's text is valid UTF-8");
  Require(HoldsOnlyPageControls(shown), "the page's text holds no control character but tab and line breaks");
  if (IsWellFormedUtf8(text) && HoldsOnlyPageControls(text))
    Require(PageText(text) == text, "clean text is shown as it is");

  std::string appended = "<p>";
  AppendEscaped(appended, text);
  Require(appended == "<p>" + escaped, "appending escapes as Escaped does");

  if (IsWebLink(text)) {
    Require(StartsWithIgnoringCase(text, "http://") || StartsWithIgnoringCase(text, "https://"),
            "only http and https addresses are links");
    Require(text.find_first_of(std::string_view(" \t\r\n\f\v\0\x7F", 8)) == std::string_view::npos,
            "a link holds no blank or control character");
  }
  return 0;
}
