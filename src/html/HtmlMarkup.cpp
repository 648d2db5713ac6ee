#include "html/HtmlMarkup.h"

#include "html/HtmlTree.h"

#include <algorithm>
#include <array>

// libxml2's own writer would do, but it escapes the URLs of href and src, so that
// a Japanese path read from the markup of a result would differ from the same path
// read from the page.

namespace {

// Elements that never hold anything: they have no end tag when empty.
constexpr std::array<std::string_view, 19> VoidElements = {
    "area", "base", "basefont", "bgsound", "br", "col", "embed", "frame", "hr", "img",
    "input", "isindex", "keygen", "link", "meta", "param", "source", "track", "wbr"};
static_assert(std::ranges::is_sorted(VoidElements));

std::string_view Text(const xmlChar* text) {
  return text == nullptr ? std::string_view() : reinterpret_cast<const char*>(text);
}

void AppendEscaped(std::string& out, std::string_view text, std::string_view special) {
  size_t at = 0;
  for (size_t found = text.find_first_of(special); found != std::string_view::npos;
       found = text.find_first_of(special, at)) {
    out.append(text, at, found - at);
    switch (text[found]) {
    case '&': out += "&amp;"; break;
    case '<': out += "&lt;"; break;
    case '>': out += "&gt;"; break;
    default: out += "&quot;"; break;
    }
    at = found + 1;
  }
  out.append(text, at);
}

void AppendStartTag(std::string& out, const xmlNode& element) {
  out += '<';
  out += NodeName(element);
  for (const xmlAttr* attribute = element.properties; attribute != nullptr; attribute = attribute->next) {
    out += ' ';
    out += Text(attribute->name);
    // An attribute written without a value, as <input checked>.
    if (attribute->children == nullptr)
      continue;
    out += "=\"";
    for (const xmlNode* part = attribute->children; part != nullptr; part = part->next)
      AppendEscaped(out, Text(part->content), "&\"");
    out += '"';
  }
  out += '>';
}

bool HasEndTag(const xmlNode& element) {
  return element.children != nullptr || !std::ranges::binary_search(VoidElements, NodeName(element));
}

// Returns whether to write what lies below node.
bool AppendOpening(std::string& out, const xmlNode& node) {
  switch (node.type) {
  case XML_ELEMENT_NODE:
    AppendStartTag(out, node);
    return true;
  case XML_TEXT_NODE:
  case XML_CDATA_SECTION_NODE:
    if (node.parent != nullptr && IsRawTextElement(*node.parent))
      out += Text(node.content);
    else
      AppendEscaped(out, Text(node.content), "&<>");
    return false;
  case XML_COMMENT_NODE:
    out += "<!--";
    out += Text(node.content);
    out += "-->";
    return false;
  case XML_PI_NODE:
    out += "<?";
    out += NodeName(node);
    out += ' ';
    out += Text(node.content);
    out += '>';
    return false;
  case XML_DTD_NODE:
    out += "<!DOCTYPE ";
    out += NodeName(node);
    out += '>';
    return false;
  default:
    return node.type == XML_HTML_DOCUMENT_NODE || node.type == XML_DOCUMENT_NODE;
  }
}

void AppendClosing(std::string& out, const xmlNode& node) {
  if (node.type != XML_ELEMENT_NODE || !HasEndTag(node))
    return;
  out += "</";
  out += NodeName(node);
  out += '>';
}

} // namespace

std::string OuterHtml(const xmlNode& node) {
  std::string out;
  WalkTree(
      node, [&](const xmlNode& below) { return AppendOpening(out, below); },
      [&](const xmlNode& below) { AppendClosing(out, below); });
  return out;
}
