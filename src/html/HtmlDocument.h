#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

struct _xmlDoc;

// What an XPath query found, one node or value.
struct HtmlMatch {
  // An element's name in lower case, an attribute's name, "#text", "#comment",
  // "#document"; "" for a string, number or boolean.
  std::string Name;
  // An element's text as NodeText gives it (raw for script and style); an
  // attribute's value; a text node's text as NodeText gives it; a comment's content;
  // a string, number or boolean as XPath's string() writes it.
  std::string Text;
  // An element's outer HTML (OuterHtml); "" for attributes, text and values.
  std::string Html;
  // An element's attributes in the order written: names in lower case, values
  // decoded.
  std::vector<std::pair<std::string, std::string>> Attributes;
};

// A page or a fragment of one, parsed by libxml2's HTML parser as a browser would
// read it in recovery: unknown (HTML5) elements are elements, a "<" that starts no
// tag is text, html, head and body are implied where missing. The text is UTF-8
// and read as UTF-8 whatever its <meta> or XML declaration names; NUL characters
// read as U+FFFD. Nothing is loaded from outside and nothing is reported.
class HtmlDocument {
public:
  explicit HtmlDocument(std::string_view html);
  ~HtmlDocument();
  HtmlDocument(const HtmlDocument&) = delete;
  HtmlDocument& operator=(const HtmlDocument&) = delete;

  // What an XPath 1.0 expression, evaluated from the document node, finds: the
  // nodes in document order, or one match holding a string, number or boolean.
  // Throws std::runtime_error naming the expression when it is not valid.
  std::vector<HtmlMatch> Query(const std::string& xpath) const;
  // The text of the whole document (NodeText).
  std::string Text() const;

private:
  struct FreeDocument {
    void operator()(_xmlDoc* document) const;
  };
  std::unique_ptr<_xmlDoc, FreeDocument> Document;
};
