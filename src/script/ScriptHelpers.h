#pragma once

class QJSEngine;

// Gives the engine's scripts these global functions, over libxml2's HTML parser
// (src/html). Markup is parsed as a browser would read it, as UTF-8 whatever its
// <meta> says; the last few strings parsed are kept, so that querying one page many
// times parses it once. Nothing is loaded from outside.
//
//   DecodeHtml(text)  text with its character references decoded (DecodeHtml in
//                     html/HtmlText.h): named ones ending in ';', numeric ones; an
//                     unknown one stays as written.
//   HtmlText(html)    the text of markup as a browser shows it: tags, comments and
//                     what script and style hold left out, references decoded, each
//                     run of blanks (<br> and the edges of blocks among them) one
//                     blank, none at either end; a "<" that starts no tag is text.
//   QueryHtml(html, xpath)
//                     what the XPath 1.0 expression finds, evaluated from the
//                     document node (so on a fragment use "//a" or ".//a"): an array,
//                     in document order, of plain objects {name, text, html,
//                     attributes}. An element gives its lower-case name, its text as
//                     HtmlText gives it, its outer HTML and its attributes (lower-case
//                     names, decoded values); a script or style element's text is its
//                     raw content, as written (JSON-LD can be read from it). An
//                     attribute gives {name, text: its value, html: "", attributes:
//                     {}}, a text node the same with name "#text", a comment
//                     "#comment". An expression giving a string, number or boolean
//                     gives one object with name "" and text that value as XPath's
//                     string() writes it. An invalid expression throws an Error
//                     naming it. Expressions may also call has-class('name') and
//                     has-word(string, 'word') (html/HtmlXPathFunctions.h).
//   ResolveUrl(base, url)
//                     url made absolute against base (QUrl::resolved), written as a
//                     browser's URL object writes it: non-ASCII characters and blanks
//                     percent-encoded, host names in their ASCII form; "" when either
//                     is no URL or base is not absolute.
//
// Undefined and null arguments read as "". Call once on an engine before its script
// is evaluated: a script's own function of the same name then replaces the helper.
void InstallScriptHelpers(QJSEngine& engine);
