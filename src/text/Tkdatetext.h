#pragma once

#include <optional>
#include <string>

// Reads the date text a blog type's script returns, as a day number counting from
// 1899-12-30 (the fraction is the time of day). Full-width digits, letters and
// punctuation count as their ASCII forms, ideographic and no-break spaces as blanks.
// Accepted, with blanks around:
//   yyyy/m/d, yyyy-m-d or yyyy.m.d, and yyyy年m月d日;
//   d Month yyyy and Month d, yyyy (full or three-letter month names, any letter
//   case, an optional ordinal suffix and leading weekday; two-digit years as mail
//   dates write them, "Wed, 01 May 2024 12:00:00 +0900");
//   after any of these an optional weekday ("(水)", "（水曜日）", "[Wed]", "水曜日"),
//   then an optional time of day: h:m or h:m:s with an optional fraction, H時M分 or
//   H時M分S秒, with 午前/午後 or AM/PM before or after on a twelve-hour clock; then
//   an optional zone ("Z", "+09:00", "+0900", "JST", ...);
//   ISO 8601 and HTML5 date-times, with "T" or a blank, a fraction and a zone;
//   a plain decimal number, taken as the day number itself.
// Only the calendar's years 100 to 9999 are dates.
// A time with a zone is converted to the machine's local time (TZ), so that a UTC
// date reads as the blog's own clock showed it in Japan; a time without one is
// kept as written. Anything else,
// a date or time that does not exist (2024/2/30, 25:00, 午後13:00), and the empty
// text, is not a date.
std::optional<double> ReadDateText(const std::string& text);
