#pragma once

#include "SampleBlog.h"

#include <string>

// UTF-8 text in the given charset. A character the charset cannot hold throws
// std::runtime_error: the sample pages must say exactly what they were made from.
std::string EncodeSampleText(const std::string& text, TSampleCharset charset);
