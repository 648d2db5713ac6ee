// The date reader on any text: a date it accepts is one the calendar has, and its
// printed form reads back as the same date.
#include "FuzzCheck.h"

#include "store/Tkdatetime.h"
#include "text/Tkdatetext.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const std::optional<double> date = ReadDateText(text);
  if (!date)
    return 0;
  Require(std::isfinite(*date), "an accepted date is a finite day number");
  const std::optional<TCivilDateTime> civil = CivilDateTime(*date);
  Require(civil.has_value(), "an accepted date lies in the calendar");

  const std::optional<double> valid = DayNumber(civil->year, civil->month, civil->day, civil->hour,
                                                civil->minute, civil->second);
  Require(valid.has_value(), "an accepted date is a valid date and time of day");

  const std::string printed = FormatDateTime(*date);
  const std::optional<double> again = ReadDateText(printed);
  Require(again.has_value() && FormatDateTime(*again) == printed, "a printed date reads back the same");

  // Blanks around a date change nothing.
  Require(ReadDateText(" \t" + text + "\xE3\x80\x80") == date, "blanks around a date are ignored");
  return 0;
}
