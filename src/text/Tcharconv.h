#pragma once

#include <string>
#include <string_view>

// Converts bytes in one of the code pages of TCodePage into UTF-8; for
// auto-detection (50932), from the code page the text declares or, failing that,
// the one detection finds (see Tpagecharset.h). A byte sequence
// that does not map becomes U+FFFD; the result ends before its first NUL.
// Throws std::runtime_error with the converter's message on failure; an unknown
// code page (such as -1) is refused.
std::string ConvertCharset(const std::string& text, int codePage);

bool IsValidUtf8(std::string_view text);

// Of UTF-8, Shift_JIS, EUC-JP and ISO-2022-JP, the one ICU's charset detector
// ranks highest; Shift_JIS when it ranks none of them.
int DetectJapaneseCodePage(const std::string& text);
