#pragma once

#include "SampleBlog.h"

#include <string>

// An entry title as markup and as the text a reader of that markup should get.
struct TSampleTitle {
  std::string Html;
  std::string Text;
};

// Eight kinds of title in turn: characters whose Shift_JIS second byte is 0x5C,
// named and numeric references, raw emoji (UTF-8 only), blanks around the title.
TSampleTitle MakeSampleTitle(int number, TSampleCharset charset);

// Escapes &, <, >, " and ' for text and attribute values.
std::string EscapeHtml(const std::string& text);
