#pragma once

#include <optional>
#include <string>

// Reads the date text a blog type's script returns, as a day number counting from
// 1899-12-30 (the fraction is the time of day). Accepted, with blanks around:
//   yyyy/m/d, yyyy-m-d or yyyy.m.d, optionally followed by h:mm or h:mm:ss;
//   ISO 8601 with "T", an optional fraction and an optional zone (the wall-clock
//   time as written is kept);
//   yyyy年m月d日, optionally followed by H時M分, H時M分S秒 or h:mm;
//   RFC 822/1123 dates ("Wed, 01 May 2024 12:00:00 +0900");
//   a plain decimal number, taken as the day number itself.
// Anything else, and the empty text, is not a date.
std::optional<double> ReadDateText(const std::string& text);
