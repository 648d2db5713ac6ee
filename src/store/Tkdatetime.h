#pragma once

#include <optional>
#include <string>

// Dates are day numbers counting from 1899-12-30; the fraction is the time of day.
// Only the years 100 to 9999 are dates: anything beyond (a huge number, infinity,
// NaN) is shown as unknown rather than as a nonsense year.

struct TCivilDateTime {
  int year = 1899;
  int month = 12;
  int day = 30;
  int hour = 0;
  int minute = 0;
  int second = 0;
};

// The day number of a calendar date and time of day; nothing when they do not exist.
std::optional<double> DayNumber(int year, int month, int day, int hour = 0, int minute = 0,
                                double second = 0);
// The calendar date and time (to the second) of a day number; nothing outside the
// years 100 to 9999.
std::optional<TCivilDateTime> CivilDateTime(double dayNumber);

// "yyyy/mm/dd", or "----/--/--" outside the calendar.
std::string FormatDate(double dayNumber);
// "yyyy/mm/dd hh:mm:ss", or "----/--/-- --:--:--" outside the calendar.
std::string FormatDateTime(double dayNumber);
