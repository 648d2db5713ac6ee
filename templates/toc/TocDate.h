#pragma once

#include <string>

struct CivilDate {
  int year = 0;
  int month = 0;
  int day = 0;
};

// A day number counting from 1899-12-30 (the fraction is the time of day).
CivilDate DateFromDayNumber(double dayNumber);

// "yyyy/mm/dd"
std::string FormatDate(const CivilDate& date);
// "yyyy-mm-dd", for the datetime attribute.
std::string FormatIsoDate(const CivilDate& date);
