#pragma once

#include <string>
#include <string_view>

struct _xmlNode;

// The text with its character references decoded, as UTF-8: the named ones that
// libxml2 knows (HTML 4's, with &apos;) when they end in ';', and decimal or
// hexadecimal numeric ones, whose ';' browsers also do without. A reference that
// names nothing stays as written; a number that is no character gives U+FFFD.
std::string DecodeHtml(std::string_view text);

// The text of a parsed node as a browser shows it: the text below it, without
// comments and without what script and style elements hold, each run of blanks
// (line breaks, <br> and the edges of block elements among them) one blank, none
// at either end. A script or style element itself gives its raw content, as
// written, so that the JSON in <script type="application/ld+json"> can be read.
std::string NodeText(const _xmlNode& node);
