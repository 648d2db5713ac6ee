#pragma once

#include <string>
#include <string_view>

// Code page 932 into UTF-8 through a table taken once from ICU's windows-31j
// converter: the same characters, the same U+FFFD for what does not map, several
// times faster than converting through ICU's pivot. ASCII bytes stay as they are,
// as on Windows (ICU's table swaps the control codes 0x1A, 0x1C and 0x7F).
std::string DecodeCodePage932(std::string_view text);
