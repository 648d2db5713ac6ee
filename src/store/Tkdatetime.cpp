#include "store/Tkdatetime.h"

#include <cmath>
#include <cstdio>

namespace {

// 1899-12-30 counted from 1970-01-01.
constexpr long long DayZero = -25569;

bool IsLeap(int year) {
  return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

// Days since 1970-01-01 of a proleptic Gregorian date, and back.
constexpr long long DaysFromCivil(int year, int month, int day) {
  const long long y = year - (month <= 2 ? 1 : 0);
  const long long era = (y >= 0 ? y : y - 399) / 400;
  const long long yearOfEra = y - era * 400;
  const long long dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const long long dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra - 719468;
}

// The calendar's ends as day numbers, a day wider on each side: the exact year is
// checked after conversion, when the time of day has been rounded.
constexpr double EarliestDay = DaysFromCivil(100, 1, 1) - DayZero - 1;
constexpr double LatestDay = DaysFromCivil(10000, 1, 1) - DayZero + 1;

void CivilFromDays(long long days, int& year, int& month, int& day) {
  const long long z = days + 719468;
  const long long era = (z >= 0 ? z : z - 146096) / 146097;
  const long long dayOfEra = z - era * 146097;
  const long long yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const long long dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const long long mp = (5 * dayOfYear + 2) / 153;
  day = static_cast<int>(dayOfYear - (153 * mp + 2) / 5 + 1);
  month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  year = static_cast<int>(yearOfEra + era * 400 + (month <= 2 ? 1 : 0));
}

}

std::optional<double> DayNumber(int year, int month, int day, int hour, int minute, double second) {
  static constexpr int DaysIn[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (year < 100 || year > 9999 || month < 1 || month > 12 || day < 1 ||
      day > DaysIn[month - 1] + (month == 2 && IsLeap(year) ? 1 : 0) || hour < 0 || hour > 23 ||
      minute < 0 || minute > 59 || second < 0 || second >= 60)
    return std::nullopt;
  return static_cast<double>(DaysFromCivil(year, month, day) - DayZero) +
         (hour * 3600 + minute * 60 + second) / 86400.0;
}

std::optional<TCivilDateTime> CivilDateTime(double dayNumber) {
  if (!(dayNumber >= EarliestDay && dayNumber <= LatestDay))
    return std::nullopt;
  // Whole seconds, rounded, so that 10:00 stored as a fraction reads back as 10:00.
  const long long seconds = std::llround(dayNumber * 86400.0);
  long long days = seconds / 86400;
  long long rest = seconds % 86400;
  if (rest < 0) {
    rest += 86400;
    --days;
  }
  TCivilDateTime result;
  CivilFromDays(days + DayZero, result.year, result.month, result.day);
  if (result.year < 100 || result.year > 9999)
    return std::nullopt;
  result.hour = static_cast<int>(rest / 3600);
  result.minute = static_cast<int>(rest / 60 % 60);
  result.second = static_cast<int>(rest % 60);
  return result;
}

std::string FormatDate(double dayNumber) {
  const auto t = CivilDateTime(dayNumber);
  if (!t)
    return "----/--/--";
  char text[32];
  std::snprintf(text, sizeof text, "%04d/%02d/%02d", t->year, t->month, t->day);
  return text;
}

std::string FormatDateTime(double dayNumber) {
  const auto t = CivilDateTime(dayNumber);
  if (!t)
    return "----/--/-- --:--:--";
  char text[48];
  std::snprintf(text, sizeof text, "%04d/%02d/%02d %02d:%02d:%02d", t->year, t->month, t->day,
                t->hour, t->minute, t->second);
  return text;
}
