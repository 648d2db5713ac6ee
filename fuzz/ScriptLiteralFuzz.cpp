// Script string literals: any text quotes and unquotes back, and unquoting takes
// exactly what quoting writes.
#include "FuzzCheck.h"

#include "script/Tscriptliteral.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace {

// Quoting writes every line break as "\n".
std::string WithLineFeeds(const std::string& text) {
  std::string result;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r') {
      result += '\n';
      if (i + 1 < text.size() && text[i + 1] == '\n')
        ++i;
    } else {
      result += text[i];
    }
  }
  return result;
}

bool HasRawLineEnd(const std::string& quoted) {
  return quoted.find_first_of("\r\n") != std::string::npos ||
         quoted.find("\xE2\x80\xA8") != std::string::npos || quoted.find("\xE2\x80\xA9") != std::string::npos;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);

  const std::string quoted = QuoteScriptString(text);
  Require(!HasRawLineEnd(quoted), "a quoted string stays on one line");
  const std::optional<std::string> back = UnquoteScriptString(quoted);
  Require(back.has_value(), "a quoted string unquotes");
  Require(*back == WithLineFeeds(text), "unquoting gives back the text, line breaks as line feeds");

  if (const std::optional<std::string> value = UnquoteScriptString(text))
    Require(QuoteScriptString(*value) == text, "only what quoting writes unquotes");
  return 0;
}
