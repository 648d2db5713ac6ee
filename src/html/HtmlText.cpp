#include "html/HtmlText.h"

#include "html/HtmlTree.h"
#include "text/Tkutf8.h"

#include <libxml/HTMLparser.h>

#include <algorithm>
#include <array>

namespace {

constexpr char32_t ReplacementCharacter = 0xFFFD;
// Past the last character: a longer number saturates here.
constexpr char32_t NoCharacter = 0x110000;
// Longer than any name libxml2 knows.
constexpr size_t MaxReferenceName = 32;

// Elements a browser shows on lines of their own; their edges read as blanks.
constexpr std::array<std::string_view, 47> BlockElements = {
    "address", "article", "aside", "blockquote", "body", "br", "caption", "dd",
    "details", "dialog", "div", "dl", "dt", "fieldset", "figcaption", "figure",
    "footer", "form", "h1", "h2", "h3", "h4", "h5", "h6",
    "head", "header", "hgroup", "hr", "html", "legend", "li", "main",
    "nav", "ol", "p", "pre", "section", "summary", "table", "tbody",
    "td", "tfoot", "th", "thead", "title", "tr", "ul"};
static_assert(std::ranges::is_sorted(BlockElements));

bool IsAsciiDigit(char c) {
  return c >= '0' && c <= '9';
}

bool IsAsciiAlpha(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

int HexDigitValue(char c) {
  if (IsAsciiDigit(c))
    return c - '0';
  if (c >= 'a' && c <= 'f')
    return c - 'a' + 10;
  if (c >= 'A' && c <= 'F')
    return c - 'A' + 10;
  return -1;
}

// text starts after "&#": the length of the numeric reference's rest, 0 when it has no digits.
size_t AppendNumericReference(std::string_view text, std::string& out) {
  const bool hex = !text.empty() && (text[0] == 'x' || text[0] == 'X');
  const unsigned base = hex ? 16 : 10;
  size_t at = hex ? 1 : 0;
  const size_t digitsStart = at;
  char32_t value = 0;
  for (; at < text.size(); ++at) {
    const int digit = hex ? HexDigitValue(text[at]) : (IsAsciiDigit(text[at]) ? text[at] - '0' : -1);
    if (digit < 0)
      break;
    value = std::min<char32_t>(value * base + static_cast<char32_t>(digit), NoCharacter);
  }
  if (at == digitsStart)
    return 0;
  if (at < text.size() && text[at] == ';')
    ++at;
  const bool isCharacter = value != 0 && value < NoCharacter && (value < 0xD800 || value > 0xDFFF);
  AppendUtf8(out, isCharacter ? value : ReplacementCharacter);
  return at;
}

// text starts after "&": the length of the named reference's rest, 0 when it is none libxml2 knows.
size_t AppendNamedReference(std::string_view text, std::string& out) {
  if (text.empty() || !IsAsciiAlpha(text[0]))
    return 0;
  const size_t end = std::min(text.find_first_not_of("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789"),
                              text.size());
  if (end >= text.size() || text[end] != ';' || end >= MaxReferenceName)
    return 0;
  std::array<char, MaxReferenceName + 1> name{};
  std::copy_n(text.begin(), end, name.begin());
  const htmlEntityDesc* entity = htmlEntityLookup(reinterpret_cast<const xmlChar*>(name.data()));
  if (entity == nullptr)
    return 0;
  AppendUtf8(out, entity->value);
  return end + 1;
}

// text starts at "&": the length of the reference it starts with, its value
// appended; 0 when it starts none.
size_t AppendReference(std::string_view text, std::string& out) {
  if (text.size() > 1 && text[1] == '#') {
    const size_t length = AppendNumericReference(text.substr(2), out);
    return length == 0 ? 0 : length + 2;
  }
  const size_t length = AppendNamedReference(text.substr(1), out);
  return length == 0 ? 0 : length + 1;
}

// Appends runs of blanks as one blank, and none at either end.
class CollapsedText {
public:
  void Append(std::string_view text) {
    size_t at = 0;
    while (at < text.size()) {
      const size_t blank = std::min(text.find_first_of(Blanks, at), text.size());
      if (blank > at) {
        if (BlankPending)
          Text += ' ';
        Text.append(text, at, blank - at);
        BlankPending = false;
      }
      at = std::min(text.find_first_not_of(Blanks, blank), text.size());
      if (at > blank)
        Blank();
    }
  }
  void Blank() { BlankPending = !Text.empty(); }
  std::string Take() { return std::move(Text); }

private:
  static constexpr std::string_view Blanks = " \t\n\r\f";
  std::string Text;
  bool BlankPending = false;
};

std::string_view Content(const xmlNode& node) {
  return node.content == nullptr ? std::string_view() : reinterpret_cast<const char*>(node.content);
}

bool IsText(const xmlNode& node) {
  return node.type == XML_TEXT_NODE || node.type == XML_CDATA_SECTION_NODE;
}

bool SeparatesText(const xmlNode& node) {
  return node.type == XML_ELEMENT_NODE && std::ranges::binary_search(BlockElements, NodeName(node));
}

bool HoldsShownText(const xmlNode& node) {
  return (node.type == XML_ELEMENT_NODE && !IsRawTextElement(node)) || node.type == XML_HTML_DOCUMENT_NODE ||
         node.type == XML_DOCUMENT_NODE;
}

std::string RawText(const xmlNode& element) {
  std::string text;
  for (const xmlNode* child = element.children; child != nullptr; child = child->next)
    if (IsText(*child))
      text += Content(*child);
  return text;
}

} // namespace

std::string DecodeHtml(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  size_t at = 0;
  for (size_t amp = text.find('&'); amp != std::string_view::npos; amp = text.find('&', at)) {
    out.append(text, at, amp - at);
    const size_t length = AppendReference(text.substr(amp), out);
    if (length == 0)
      out += '&';
    at = amp + std::max<size_t>(length, 1);
  }
  out.append(text, at);
  return out;
}

std::string NodeText(const xmlNode& node) {
  if (IsRawTextElement(node))
    return RawText(node);
  CollapsedText text;
  WalkTree(
      node,
      [&](const xmlNode& below) {
        if (IsText(below))
          text.Append(Content(below));
        else if (SeparatesText(below))
          text.Blank();
        return HoldsShownText(below);
      },
      [&](const xmlNode& below) {
        if (SeparatesText(below))
          text.Blank();
      });
  return text.Take();
}
