#include "html/HtmlDocument.h"

#include "html/HtmlMarkup.h"
#include "html/HtmlText.h"
#include "html/HtmlTree.h"
#include "html/HtmlXPathFunctions.h"

#include <libxml/HTMLparser.h>
#include <libxml/HTMLtree.h>
#include <libxml/xmlerror.h>
#include <libxml/xpath.h>

#include <climits>
#include <new>
#include <stdexcept>
#include <unordered_map>

namespace {

// The text is UTF-8 already: a <meta> naming its original charset must not make
// libxml2 decode it again. Without XML_PARSE_HUGE the parser gives up at 256
// levels of nesting, which a page with many unclosed elements reaches.
constexpr int ParseOptions = HTML_PARSE_RECOVER | HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING | HTML_PARSE_NONET |
                             HTML_PARSE_NODEFDTD | HTML_PARSE_COMPACT | HTML_PARSE_IGNORE_ENC | XML_PARSE_HUGE;

constexpr std::string_view ReplacementCharacter = "\xEF\xBF\xBD";

void InitializeLibxml() {
  [[maybe_unused]] static const bool initialized = [] {
    xmlInitParser();
    return true;
  }();
}

struct FreeParserContext {
  void operator()(htmlParserCtxt* context) const { htmlFreeParserCtxt(context); }
};

struct FreeXPathContext {
  void operator()(xmlXPathContext* context) const { xmlXPathFreeContext(context); }
};

struct FreeXPathObject {
  void operator()(xmlXPathObject* object) const { xmlXPathFreeObject(object); }
};

struct FreeCompiledXPath {
  void operator()(xmlXPathCompExpr* compiled) const { xmlXPathFreeCompExpr(compiled); }
};

struct FreeXmlString {
  void operator()(xmlChar* text) const { xmlFree(text); }
};

// libxml2 reads a NUL as a blank, and from NULs at the start may guess UTF-16; a
// browser shows U+FFFD.
std::string WithoutNul(std::string_view html) {
  std::string text;
  text.reserve(html.size());
  for (size_t at = 0;;) {
    const size_t nul = html.find('\0', at);
    text.append(html.substr(at, nul - at));
    if (nul == std::string_view::npos)
      return text;
    text += ReplacementCharacter;
    at = nul + 1;
  }
}

xmlDoc* Parse(std::string_view html) {
  if (html.size() > INT_MAX)
    throw std::runtime_error("HTMLが大きすぎます。");
  InitializeLibxml();
  std::unique_ptr<htmlParserCtxt, FreeParserContext> context(htmlNewParserCtxt());
  if (context == nullptr)
    throw std::bad_alloc();
  xmlDoc* document =
      htmlCtxtReadMemory(context.get(), html.data(), static_cast<int>(html.size()), nullptr, "UTF-8", ParseOptions);
  if (context->errNo == XML_ERR_NO_MEMORY) {
    xmlFreeDoc(document);
    throw std::bad_alloc();
  }
  // Empty text gives no document; an empty one stands in for queries to find nothing.
  if (document == nullptr)
    document = htmlNewDocNoDtD(nullptr, nullptr);
  if (document == nullptr)
    throw std::bad_alloc();
  return document;
}

// Takes libxml2's reports while it lives, which it would otherwise write to
// standard error, and keeps the first. XPath also writes some of its own.
class CapturedError {
public:
  CapturedError()
      : PreviousHandler(xmlStructuredError), PreviousContext(xmlStructuredErrorContext),
        PreviousGenericHandler(xmlGenericError), PreviousGenericContext(xmlGenericErrorContext) {
    xmlSetStructuredErrorFunc(this, &Record);
    xmlSetGenericErrorFunc(nullptr, &Ignore);
  }
  ~CapturedError() {
    xmlSetGenericErrorFunc(PreviousGenericContext, PreviousGenericHandler);
    xmlSetStructuredErrorFunc(PreviousContext, PreviousHandler);
  }
  CapturedError(const CapturedError&) = delete;
  CapturedError& operator=(const CapturedError&) = delete;

  bool IsOutOfMemory() const { return Code == XML_ERR_NO_MEMORY || Code == XML_XPATH_MEMORY_ERROR; }
  const std::string& Message() const { return Text; }

private:
  static void Record(void* self, xmlError* error) {
    auto& captured = *static_cast<CapturedError*>(self);
    if (captured.Code != XML_ERR_OK || error == nullptr)
      return;
    captured.Code = error->code;
    captured.Text = error->message == nullptr ? std::string() : error->message;
    while (!captured.Text.empty() && (captured.Text.back() == '\n' || captured.Text.back() == ' '))
      captured.Text.pop_back();
  }

  static void Ignore(void*, const char*, ...) {}

  xmlStructuredErrorFunc PreviousHandler;
  void* PreviousContext;
  xmlGenericErrorFunc PreviousGenericHandler;
  void* PreviousGenericContext;
  int Code = XML_ERR_OK;
  std::string Text;
};

std::string_view Text(const xmlChar* text) {
  return text == nullptr ? std::string_view() : reinterpret_cast<const char*>(text);
}

std::string AttributeValue(const xmlAttr& attribute) {
  std::string value;
  for (const xmlNode* part = attribute.children; part != nullptr; part = part->next)
    value += Text(part->content);
  return value;
}

std::vector<std::pair<std::string, std::string>> Attributes(const xmlNode& element) {
  std::vector<std::pair<std::string, std::string>> attributes;
  for (const xmlAttr* attribute = element.properties; attribute != nullptr; attribute = attribute->next)
    attributes.emplace_back(Text(attribute->name), AttributeValue(*attribute));
  return attributes;
}

HtmlMatch MatchOf(const xmlNode& node) {
  switch (node.type) {
  case XML_ELEMENT_NODE:
    return {std::string(NodeName(node)), NodeText(node), OuterHtml(node), Attributes(node)};
  case XML_ATTRIBUTE_NODE:
    return {std::string(NodeName(node)), AttributeValue(reinterpret_cast<const xmlAttr&>(node)), {}, {}};
  case XML_TEXT_NODE:
  case XML_CDATA_SECTION_NODE:
    return {"#text", NodeText(node), {}, {}};
  case XML_COMMENT_NODE:
    return {"#comment", std::string(Text(node.content)), {}, {}};
  case XML_HTML_DOCUMENT_NODE:
  case XML_DOCUMENT_NODE:
    return {"#document", NodeText(node), OuterHtml(node), {}};
  case XML_NAMESPACE_DECL: {
    // Namespace nodes are no xmlNode: only their type lies where a node's does.
    const auto& space = reinterpret_cast<const xmlNs&>(node);
    return {std::string(Text(space.prefix)), std::string(Text(space.href)), {}, {}};
  }
  default:
    return {std::string(NodeName(node)), std::string(Text(node.content)), {}, {}};
  }
}

std::vector<HtmlMatch> MatchesOf(const xmlXPathObject& result) {
  std::vector<HtmlMatch> matches;
  if (result.type == XPATH_NODESET) {
    if (result.nodesetval != nullptr) {
      matches.reserve(static_cast<size_t>(result.nodesetval->nodeNr));
      for (int i = 0; i < result.nodesetval->nodeNr; ++i)
        matches.push_back(MatchOf(*result.nodesetval->nodeTab[i]));
    }
    return matches;
  }
  const std::unique_ptr<xmlChar, FreeXmlString> value(xmlXPathCastToString(const_cast<xmlXPathObject*>(&result)));
  if (value == nullptr)
    throw std::bad_alloc();
  matches.push_back({{}, std::string(Text(value.get())), {}, {}});
  return matches;
}

const xmlChar* XmlText(const std::string& text) {
  return reinterpret_cast<const xmlChar*>(text.c_str());
}

using CompiledXPath = std::unique_ptr<xmlXPathCompExpr, FreeCompiledXPath>;

// libxml2 2.9 evaluates a plain path (no '[', '(' or '@') by streaming, which
// misses what lies over 10,000 levels down; in parentheses the expression goes the
// usual way. It is compiled alone first, so that "a) | (b" stays invalid. Null when
// it is not valid (the reason captured).
CompiledXPath Compile(const std::string& xpath) {
  const CompiledXPath checked(xmlXPathCompile(XmlText(xpath)));
  if (checked == nullptr)
    return nullptr;
  return CompiledXPath(xmlXPathCompile(XmlText("(" + xpath + ")")));
}

// A blog type asks every page the same few expressions: each is compiled once.
xmlXPathCompExpr* Compiled(const std::string& xpath) {
  constexpr size_t MaxKept = 256;
  thread_local std::unordered_map<std::string, CompiledXPath> kept;
  if (const auto found = kept.find(xpath); found != kept.end())
    return found->second.get();
  CompiledXPath compiled = Compile(xpath);
  if (compiled == nullptr)
    return nullptr;
  if (kept.size() >= MaxKept)
    kept.clear();
  return kept.emplace(xpath, std::move(compiled)).first->second.get();
}

std::unique_ptr<xmlXPathObject, FreeXPathObject> Evaluate(xmlXPathContext& context, const std::string& xpath) {
  CapturedError error;
  xmlXPathCompExpr* const compiled = Compiled(xpath);
  std::unique_ptr<xmlXPathObject, FreeXPathObject> result;
  if (compiled != nullptr)
    result.reset(xmlXPathCompiledEval(compiled, &context));
  // XPath records a failed allocation in its context without reporting it.
  if (error.IsOutOfMemory() || context.lastError.code == XML_ERR_NO_MEMORY)
    throw std::bad_alloc();
  if (result == nullptr) {
    const std::string reason = error.Message().empty() ? std::string() : " (" + error.Message() + ")";
    throw std::runtime_error("XPath「" + xpath + "」は正しくありません" + reason);
  }
  return result;
}

} // namespace

void HtmlDocument::FreeDocument::operator()(xmlDoc* document) const {
  xmlFreeDoc(document);
}

HtmlDocument::HtmlDocument(std::string_view html)
    : Document(Parse(html.find('\0') == std::string_view::npos ? html : WithoutNul(html))) {}

HtmlDocument::~HtmlDocument() = default;

std::vector<HtmlMatch> HtmlDocument::Query(const std::string& xpath) const {
  const std::unique_ptr<xmlXPathContext, FreeXPathContext> context(xmlXPathNewContext(Document.get()));
  if (context == nullptr)
    throw std::bad_alloc();
  context->node = reinterpret_cast<xmlNode*>(Document.get());
  xmlXPathContextSetCache(context.get(), 1, -1, 0);
  RegisterXPathFunctions(*context);
  return MatchesOf(*Evaluate(*context, xpath));
}

std::string HtmlDocument::Text() const {
  return NodeText(*reinterpret_cast<const xmlNode*>(Document.get()));
}
