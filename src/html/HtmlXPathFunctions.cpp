#include "html/HtmlXPathFunctions.h"

#include "text/Tkascii.h"

#include <libxml/xpathInternals.h>

#include <memory>
#include <string_view>

namespace {

struct FreeXmlString {
  void operator()(xmlChar* text) const { xmlFree(text); }
};
using XmlString = std::unique_ptr<xmlChar, FreeXmlString>;

std::string_view View(const xmlChar* text) {
  return text == nullptr ? std::string_view() : reinterpret_cast<const char*>(text);
}

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

bool SameWord(std::string_view a, std::string_view b, bool ignoreCase) {
  if (a.size() != b.size())
    return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (ignoreCase ? LowerAscii(a[i]) != LowerAscii(b[i]) : a[i] != b[i])
      return false;
  return true;
}

bool HoldsWord(std::string_view words, std::string_view word, bool ignoreCase) {
  size_t at = 0;
  while (at < words.size()) {
    while (at < words.size() && IsBlank(words[at]))
      ++at;
    size_t end = at;
    while (end < words.size() && !IsBlank(words[end]))
      ++end;
    if (end > at && SameWord(words.substr(at, end - at), word, ignoreCase))
      return true;
    at = end;
  }
  return false;
}

void HasClass(xmlXPathParserContext* parser, int count) {
  if (count != 1) {
    xmlXPathErr(parser, XPATH_INVALID_ARITY);
    return;
  }
  const XmlString word(xmlXPathPopString(parser));
  const xmlNode* node = parser->context->node;
  XmlString classes;
  if (node != nullptr && node->type == XML_ELEMENT_NODE)
    classes.reset(xmlGetProp(node, reinterpret_cast<const xmlChar*>("class")));
  valuePush(parser, xmlXPathNewBoolean(HoldsWord(View(classes.get()), View(word.get()), false)));
}

void HasWord(xmlXPathParserContext* parser, int count) {
  if (count != 2) {
    xmlXPathErr(parser, XPATH_INVALID_ARITY);
    return;
  }
  const XmlString word(xmlXPathPopString(parser));
  const XmlString words(xmlXPathPopString(parser));
  valuePush(parser, xmlXPathNewBoolean(HoldsWord(View(words.get()), View(word.get()), true)));
}

} // namespace

void RegisterXPathFunctions(_xmlXPathContext& context) {
  xmlXPathRegisterFunc(&context, reinterpret_cast<const xmlChar*>("has-class"), HasClass);
  xmlXPathRegisterFunc(&context, reinterpret_cast<const xmlChar*>("has-word"), HasWord);
}
