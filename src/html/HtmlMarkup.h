#pragma once

#include <string>

struct _xmlNode;

// A parsed node written back as HTML, the node itself included (an element's outer
// HTML), as a browser writes it: text and attribute values escaped, URLs left as
// they are, void elements without an end tag, script and style content raw.
// Parsing the markup again gives the same tree.
std::string OuterHtml(const _xmlNode& node);
