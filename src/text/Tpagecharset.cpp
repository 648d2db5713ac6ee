#include "text/Tpagecharset.h"

#include "text/Tcharconv.h"
#include "text/Tcodepage.h"
#include "text/Tkascii.h"

#include <algorithm>
#include <cstddef>
#include <string>

namespace {

constexpr int AutoDetect = 50932;
constexpr size_t MetaScanLength = 4096;

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f'; }

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return LowerAscii(x) == LowerAscii(y); });
}

size_t FindIgnoringCase(std::string_view text, std::string_view word, size_t from) {
  for (size_t i = from; i + word.size() <= text.size(); ++i)
    if (EqualsIgnoringCase(text.substr(i, word.size()), word))
      return i;
  return std::string_view::npos;
}

// A name from the table, other than auto-detection itself; -1 otherwise.
int TableCodePage(std::string_view name) {
  const int codePage = TCodePage::GetInstance()->FindCodePage(std::string(name));
  return codePage == AutoDetect ? -1 : codePage;
}

// The value after "charset=" in a Content-Type value, quoted or not; "" when none.
std::string_view CharsetParameter(std::string_view value) {
  size_t at = 0;
  while ((at = FindIgnoringCase(value, "charset", at)) != std::string_view::npos) {
    at += 7;
    size_t i = at;
    while (i < value.size() && IsSpace(value[i]))
      ++i;
    if (i == value.size() || value[i] != '=')
      continue;
    ++i;
    while (i < value.size() && IsSpace(value[i]))
      ++i;
    if (i < value.size() && (value[i] == '"' || value[i] == '\'')) {
      const size_t close = value.find(value[i], i + 1);
      return value.substr(i + 1, close == std::string_view::npos ? close : close - i - 1);
    }
    size_t end = i;
    while (end < value.size() && value[end] != ';' && !IsSpace(value[end]))
      ++end;
    return value.substr(i, end - i);
  }
  return {};
}

// One attribute of a tag, read from position; false at the tag's end.
struct Attribute {
  std::string_view Name;
  std::string_view Value;
};

bool NextAttribute(std::string_view text, size_t& position, Attribute& attribute) {
  while (position < text.size() && (IsSpace(text[position]) || text[position] == '/'))
    ++position;
  if (position >= text.size() || text[position] == '>')
    return false;
  const size_t nameStart = position;
  while (position < text.size() && !IsSpace(text[position]) && text[position] != '=' &&
         text[position] != '>' && (position == nameStart || text[position] != '/'))
    ++position;
  attribute = {text.substr(nameStart, position - nameStart), {}};
  while (position < text.size() && IsSpace(text[position]))
    ++position;
  if (position >= text.size() || text[position] != '=')
    return true;
  ++position;
  while (position < text.size() && IsSpace(text[position]))
    ++position;
  if (position < text.size() && (text[position] == '"' || text[position] == '\'')) {
    // A value cut off at the end of the scanned head names nothing.
    const size_t close = text.find(text[position], position + 1);
    if (close == std::string_view::npos) {
      position = text.size();
      return true;
    }
    attribute.Value = text.substr(position + 1, close - position - 1);
    position = close + 1;
    return true;
  }
  const size_t valueStart = position;
  while (position < text.size() && !IsSpace(text[position]) && text[position] != '>')
    ++position;
  attribute.Value = text.substr(valueStart, position - valueStart);
  return true;
}

// The charset a <meta> tag starting at position names, "" when it names none.
std::string_view MetaCharset(std::string_view text, size_t& position) {
  bool contentTypeEquiv = false;
  std::string_view content;
  Attribute attribute;
  while (NextAttribute(text, position, attribute)) {
    if (EqualsIgnoringCase(attribute.Name, "charset"))
      return attribute.Value;
    if (EqualsIgnoringCase(attribute.Name, "http-equiv"))
      contentTypeEquiv = EqualsIgnoringCase(attribute.Value, "content-type");
    else if (EqualsIgnoringCase(attribute.Name, "content"))
      content = attribute.Value;
  }
  return contentTypeEquiv ? CharsetParameter(content) : std::string_view();
}

// The first <meta> in the head of the page that names a charset of the table;
// commented-out tags do not count.
int MetaCodePage(std::string_view page) {
  const std::string_view head = page.substr(0, std::min(page.size(), MetaScanLength));
  size_t position = 0;
  while ((position = head.find('<', position)) != std::string_view::npos) {
    if (head.substr(position).starts_with("<!--")) {
      const size_t close = head.find("-->", position + 4);
      if (close == std::string_view::npos)
        return -1;
      position = close + 3;
      continue;
    }
    position += 1;
    if (!EqualsIgnoringCase(head.substr(position, 4), "meta") || position + 4 >= head.size() ||
        !(IsSpace(head[position + 4]) || head[position + 4] == '/'))
      continue;
    position += 4;
    const std::string_view charset = MetaCharset(head, position);
    if (!charset.empty()) {
      const int codePage = TableCodePage(charset);
      if (codePage != -1)
        return codePage;
    }
  }
  return -1;
}

// Designations of the ISO-2022-JP character sets; no other encoding of the table
// holds an ESC byte.
bool HasIso2022JpEscape(const std::string& page) {
  static const std::string_view escapes[] = {"\x1B$B", "\x1B$@", "\x1B$(D", "\x1B(I", "\x1B(J"};
  for (size_t at = page.find('\x1B'); at != std::string::npos; at = page.find('\x1B', at + 1)) {
    const std::string_view rest = std::string_view(page).substr(at);
    for (std::string_view escape : escapes)
      if (rest.starts_with(escape))
        return true;
  }
  return false;
}

// EUC-JP writes every character as bytes A1-FE, after 8E or 8F for the two
// supplementary sets; Shift_JIS leads kana and most kanji with 81-9F, which EUC-JP
// never uses. A page free of those and well-formed as EUC-JP is EUC-JP.
bool ReadsOnlyAsEucJp(const std::string& page) {
  bool high = false;
  for (size_t i = 0; i < page.size(); ++i) {
    const auto byte = static_cast<unsigned char>(page[i]);
    if (byte < 0x80)
      continue;
    high = true;
    size_t trail = byte == 0x8F ? 2 : 1;
    if (byte == 0xFF || (byte < 0xA1 && byte != 0x8E && byte != 0x8F) || i + trail >= page.size())
      return false;
    while (trail-- > 0) {
      const auto next = static_cast<unsigned char>(page[++i]);
      if (next < 0xA1 || next == 0xFF)
        return false;
    }
  }
  return high;
}

} // namespace

int DeclaredCodePage(std::string_view contentType, std::string_view page) {
  const int header = TableCodePage(CharsetParameter(contentType));
  if (header != -1)
    return header;
  if (page.starts_with("\xEF\xBB\xBF"))
    return 65001;
  return MetaCodePage(page);
}

int DetectPageCodePage(const std::string& page) {
  if (HasIso2022JpEscape(page))
    return 50220;
  const int detected = DetectJapaneseCodePage(page);
  if (detected == 932 && ReadsOnlyAsEucJp(page))
    return 51932;
  return detected;
}

int ChoosePageCodePage(int codePage, std::string_view contentType, const std::string& page) {
  if (codePage != AutoDetect)
    return codePage;
  const int declared = DeclaredCodePage(contentType, page);
  return declared != -1 ? declared : DetectPageCodePage(page);
}
