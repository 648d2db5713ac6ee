#pragma once

#include <string>
#include <string_view>

// Which code page a page is read in when its blog type asks for auto-detection.

// The code page a page names for itself, in this order: the charset of the HTTP
// Content-Type header, a UTF-8 byte order mark, then <meta charset> or
// <meta http-equiv="Content-Type" content="…charset=…"> in its first 4 KB. A name
// outside the charset table, or one asking for auto-detection, names nothing; -1
// when nothing names a code page.
int DeclaredCodePage(std::string_view contentType, std::string_view page);

// The code page of a page that says nothing about itself: ISO-2022-JP when an
// ISO-2022-JP escape occurs anywhere, else the detector's choice, with EUC-JP
// taken over Shift_JIS when the page holds no byte that EUC-JP never uses.
int DetectPageCodePage(const std::string& page);

// codePage itself unless it is auto-detection (50932); then what the page
// declares, else what detection finds.
int ChoosePageCodePage(int codePage, std::string_view contentType, const std::string& page);
