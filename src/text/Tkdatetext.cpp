#include "text/Tkdatetext.h"

#include "store/Tkdatetime.h"
#include "text/Tktextcursor.h"

#include <array>
#include <cmath>
#include <cstdlib>
#include <ctime>
#include <string_view>

namespace {

// Blogs print dates with full-width digits, letters and punctuation, and pad them
// with ideographic or no-break spaces; folding those to ASCII first lets one
// grammar read them all.
std::string FoldWidths(std::string_view text) {
  std::string folded;
  folded.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    const auto byte = [&](size_t at) { return static_cast<unsigned char>(text[at]); };
    const size_t left = text.size() - i;
    const bool fullWidth = left >= 3 && byte(i) == 0xEF &&
                           ((byte(i + 1) == 0xBC && byte(i + 2) >= 0x81 && byte(i + 2) <= 0xBF) ||
                            (byte(i + 1) == 0xBD && byte(i + 2) >= 0x80 && byte(i + 2) <= 0x9E));
    if (fullWidth) {
      // U+FF01..U+FF5E stand for U+0021..U+007E.
      const unsigned codePoint = 0xF000u | (byte(i + 1) & 0x3Fu) << 6 | (byte(i + 2) & 0x3Fu);
      folded += static_cast<char>(codePoint - 0xFEE0u);
      i += 2;
    } else if (left >= 3 && byte(i) == 0xE3 && byte(i + 1) == 0x80 && byte(i + 2) == 0x80) {
      folded += ' ';
      i += 2;
    } else if (left >= 2 && byte(i) == 0xC2 && byte(i + 1) == 0xA0) {
      folded += ' ';
      i += 1;
    } else {
      folded += text[i];
    }
  }
  return folded;
}

struct TimeOfDay {
  int hour = 0;
  int minute = 0;
  double second = 0;
};

// h:m or h:m:s, one or two digits each, with an optional fraction of a second.
bool ReadClock(TextCursor& in, TimeOfDay& time) {
  const size_t start = in.Position();
  int second = 0;
  if (!in.Number(time.hour, 1, 2) || !in.Literal(":") || !in.Number(time.minute, 1, 2)) {
    in.Rewind(start);
    return false;
  }
  if (in.Literal(":")) {
    if (!in.Number(second, 1, 2)) {
      in.Rewind(start);
      return false;
    }
    time.second = second + in.Fraction();
  }
  return true;
}

// H時M分 or H時M分S秒; an hour alone is too vague to store.
bool ReadKanjiClock(TextCursor& in, TimeOfDay& time) {
  const size_t start = in.Position();
  if (!in.Number(time.hour, 1, 2) || !in.Literal("時")) {
    in.Rewind(start);
    return false;
  }
  in.SkipBlanks();
  if (!in.Number(time.minute, 1, 2) || !in.Literal("分")) {
    in.Rewind(start);
    return false;
  }
  const size_t beforeSecond = in.Position();
  in.SkipBlanks();
  int second = 0;
  if (in.Number(second, 1, 2) && in.Literal("秒"))
    time.second = second;
  else
    in.Rewind(beforeSecond);
  return true;
}

enum class Meridiem { None, Morning, Afternoon };

Meridiem ReadMeridiem(TextCursor& in) {
  if (in.Literal("午前") || in.Word("am") || in.Word("a.m."))
    return Meridiem::Morning;
  if (in.Literal("午後") || in.Word("pm") || in.Word("p.m."))
    return Meridiem::Afternoon;
  return Meridiem::None;
}

// On a twelve-hour clock 0 and 12 both stand for the hour after midnight or noon,
// as 午前0時 and 12:30 AM are both printed; a larger hour is a mistake.
bool ToDayClock(Meridiem meridiem, int& hour) {
  if (meridiem == Meridiem::None)
    return true;
  if (hour > 12)
    return false;
  hour = hour % 12 + (meridiem == Meridiem::Afternoon ? 12 : 0);
  return true;
}

// A clock, with 午前/午後 or AM/PM before or after it.
bool ReadTimeOfDay(TextCursor& in, TimeOfDay& time) {
  const size_t start = in.Position();
  Meridiem meridiem = ReadMeridiem(in);
  in.SkipBlanks();
  if (!ReadClock(in, time) && !ReadKanjiClock(in, time)) {
    in.Rewind(start);
    return false;
  }
  if (meridiem == Meridiem::None) {
    const size_t afterClock = in.Position();
    in.SkipBlanks();
    meridiem = ReadMeridiem(in);
    if (meridiem == Meridiem::None)
      in.Rewind(afterClock);
  }
  return ToDayClock(meridiem, time.hour);
}

// How far a written clock is ahead of UTC, when the text says.
struct Zone {
  bool Given = false;
  int OffsetMinutes = 0;
};

// "Z", "+09:00", "+0900", "-05" or a zone name; nothing when there is none.
Zone ReadZone(TextCursor& in) {
  struct Named {
    std::string_view Name;
    int OffsetMinutes;
  };
  // Longer names first: "UT" is the start of "UTC".
  static constexpr std::array<Named, 14> Names{{{"Z", 0},      {"z", 0},      {"GMT", 0},    {"UTC", 0},
                                                {"UT", 0},     {"JST", 540},  {"EST", -300}, {"EDT", -240},
                                                {"CST", -360}, {"CDT", -300}, {"MST", -420}, {"MDT", -360},
                                                {"PST", -480}, {"PDT", -420}}};
  for (const Named& named : Names)
    if (in.Literal(named.Name))
      return {true, named.OffsetMinutes};
  char sign = 0;
  int hours = 0;
  int minutes = 0;
  const size_t start = in.Position();
  if (!in.OneOf("+-", sign) || !in.Number(hours, 2, 2)) {
    in.Rewind(start);
    return {};
  }
  in.Literal(":");
  in.Number(minutes, 2, 2);
  const int offset = hours * 60 + minutes;
  return {true, sign == '-' ? -offset : offset};
}

// The day number of a clock written in zone, as the machine's local clock (TZ)
// shows that moment; a clock without a zone stays as written.
std::optional<double> LocalTime(std::optional<double> written, const Zone& zone) {
  if (!written || !zone.Given)
    return written;
  constexpr double UnixEpochDay = 25569.0;
  const double utc = *written - zone.OffsetMinutes / 1440.0;
  const auto seconds = static_cast<std::time_t>(std::floor((utc - UnixEpochDay) * 86400.0 + 0.5));
  std::tm local{};
  if (localtime_r(&seconds, &local) == nullptr)
    return std::nullopt;
  return utc + static_cast<double>(local.tm_gmtoff) / 86400.0;
}

constexpr std::array<std::string_view, 7> WeekdayNames{"sunday",   "monday", "tuesday", "wednesday",
                                                      "thursday", "friday", "saturday"};

// Wednesday or Wed in any letter case.
bool ReadEnglishWeekday(TextCursor& in) {
  for (const std::string_view name : WeekdayNames)
    if (in.Word(name) || in.Word(name.substr(0, 3)))
      return true;
  return false;
}

// 水曜日 or 水曜; in brackets also 水 alone and the English names.
bool ReadWeekdayName(TextCursor& in, bool bracketed) {
  static constexpr std::array<std::string_view, 7> Kanji{"日", "月", "火", "水", "木", "金", "土"};
  for (const std::string_view kanji : Kanji)
    if (in.Literal(kanji))
      return in.Literal("曜日") || in.Literal("曜") || bracketed;
  return bracketed && ReadEnglishWeekday(in);
}

// (水), （水曜日）, [Wed], or 水曜日 without brackets. Which day it names is not
// checked: the numbers are what is stored.
bool SkipWeekday(TextCursor& in) {
  const size_t start = in.Position();
  char open = 0;
  const bool bracketed = in.OneOf("([", open);
  in.SkipBlanks();
  if (ReadWeekdayName(in, bracketed)) {
    in.SkipBlanks();
    if (!bracketed || in.Literal(open == '(' ? ")" : "]"))
      return true;
  }
  in.Rewind(start);
  return false;
}

// An optional zone, then nothing but blanks.
bool ReadZoneAndEnd(TextCursor& in, Zone& zone) {
  in.SkipBlanks();
  zone = ReadZone(in);
  in.SkipBlanks();
  return in.AtEnd();
}

// What may follow a date: a weekday, then a time of day and a zone. A clock that
// starts with a digit needs something before it that ends the date's last number.
std::optional<double> ReadDateEnd(TextCursor& in, int year, int month, int day, bool dateEnded) {
  dateEnded = in.SkipBlanks() || dateEnded;
  if (SkipWeekday(in)) {
    dateEnded = true;
    in.SkipBlanks();
  }
  TimeOfDay time;
  Zone zone;
  if (!in.AtEnd()) {
    if ((in.AtDigit() && !dateEnded) || !ReadTimeOfDay(in, time) || !ReadZoneAndEnd(in, zone))
      return std::nullopt;
  }
  return LocalTime(DayNumber(year, month, day, time.hour, time.minute, time.second), zone);
}

// yyyy/m/d, yyyy-m-d, yyyy.m.d, then what may follow a date; or "T" and an ISO time.
std::optional<double> ReadNumericDate(TextCursor& in) {
  int year = 0, month = 0, day = 0;
  char separator = 0;
  char second = 0;
  if (!in.Number(year, 4, 4) || !in.OneOf("/-.", separator) || !in.Number(month, 1, 2) ||
      !in.OneOf("/-.", second) || second != separator || !in.Number(day, 1, 2))
    return std::nullopt;
  if (separator == '-' && (in.Literal("T") || in.Literal("t"))) {
    TimeOfDay time;
    Zone zone;
    if (!ReadClock(in, time) || !ReadZoneAndEnd(in, zone))
      return std::nullopt;
    return LocalTime(DayNumber(year, month, day, time.hour, time.minute, time.second), zone);
  }
  return ReadDateEnd(in, year, month, day, false);
}

// yyyy年m月d日, then what may follow a date.
std::optional<double> ReadJapaneseDate(TextCursor& in) {
  int year = 0, month = 0, day = 0;
  if (!in.Number(year, 4, 4) || !in.Literal("年"))
    return std::nullopt;
  in.SkipBlanks();
  if (!in.Number(month, 1, 2) || !in.Literal("月"))
    return std::nullopt;
  in.SkipBlanks();
  if (!in.Number(day, 1, 2) || !in.Literal("日"))
    return std::nullopt;
  return ReadDateEnd(in, year, month, day, true);
}

// January or Jan or Jan., in any letter case; 0 when none.
int ReadMonthName(TextCursor& in) {
  static constexpr std::array<std::string_view, 12> Months{
      "january", "february", "march",     "april",   "may",      "june",
      "july",    "august",   "september", "october", "november", "december"};
  for (size_t i = 0; i < Months.size(); ++i) {
    if (in.Word(Months[i]))
      return static_cast<int>(i) + 1;
    if (in.Word(Months[i].substr(0, 3)) || (i == 8 && in.Word("sept"))) {
      in.Literal(".");
      return static_cast<int>(i) + 1;
    }
  }
  return 0;
}

// 1st, 2nd, 3rd, 4th ... after a day in English.
void SkipOrdinal(TextCursor& in, int day) {
  static constexpr std::array<std::string_view, 4> Suffixes{"th", "st", "nd", "rd"};
  const int last = day % 10;
  in.Word(day / 10 == 1 || last > 3 ? Suffixes[0] : Suffixes[last]);
}

// Four digits, or two standing for 1950 to 2049 as mail dates write them.
bool ReadEnglishYear(TextCursor& in, int& year) {
  const size_t start = in.Position();
  if (!in.Number(year, 2, 4) || in.Position() - start == 3)
    return false;
  if (in.Position() - start == 2)
    year += year < 50 ? 2000 : 1900;
  return true;
}

// [Wednesday, ]1[st] May 2024 or [Wed, ]May 1st, 2024, then what may follow a date
// (mail dates too: "Wed, 01 May 2024 12:00:00 +0900").
std::optional<double> ReadEnglishDate(TextCursor& in) {
  if (ReadEnglishWeekday(in)) {
    in.SkipBlanks();
    in.Literal(",");
    in.SkipBlanks();
  }
  int day = 0, month = 0, year = 0;
  if (in.Number(day, 1, 2)) {
    SkipOrdinal(in, day);
    in.SkipBlanks();
    month = ReadMonthName(in);
  } else if ((month = ReadMonthName(in)) != 0) {
    in.SkipBlanks();
    if (!in.Number(day, 1, 2))
      return std::nullopt;
    SkipOrdinal(in, day);
    in.Literal(",");
  }
  if (month == 0)
    return std::nullopt;
  in.SkipBlanks();
  if (!ReadEnglishYear(in, year))
    return std::nullopt;
  return ReadDateEnd(in, year, month, day, false);
}

// A plain decimal number: digits with an optional sign and decimal point.
std::optional<double> ReadDayNumber(std::string_view text) {
  constexpr std::string_view Blanks = " \t\r\n";
  const size_t first = text.find_first_not_of(Blanks);
  if (first == std::string_view::npos)
    return std::nullopt;
  const std::string number(text.substr(first, text.find_last_not_of(Blanks) - first + 1));
  size_t digits = 0;
  bool point = false;
  for (size_t i = (number[0] == '+' || number[0] == '-') ? 1 : 0; i < number.size(); ++i) {
    if (TextCursor::IsDigit(number[i]))
      ++digits;
    else if (number[i] == '.' && !point)
      point = true;
    else
      return std::nullopt;
  }
  const double value = std::strtod(number.c_str(), nullptr);
  if (digits == 0)
    return std::nullopt;
  return value;
}

// A moment within the years 100 to 9999 that the calendar shows: a plain number can
// lie anywhere, and the last half second of 9999 rounds past its end.
std::optional<double> InCalendar(std::optional<double> value) {
  return value && CivilDateTime(*value) ? value : std::nullopt;
}

}

std::optional<double> ReadDateText(const std::string& text) {
  const std::string folded = FoldWidths(text);
  for (const auto reader : {ReadNumericDate, ReadJapaneseDate, ReadEnglishDate}) {
    TextCursor in(folded);
    in.SkipBlanks();
    if (const std::optional<double> value = reader(in))
      return InCalendar(value);
  }
  return InCalendar(ReadDayNumber(folded));
}
