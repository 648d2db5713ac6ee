#include "crawl/Tkdatetext.h"
#include "store/Tkdatetime.h"

#include <gtest/gtest.h>

namespace {

double Day(int year, int month, int day, int hour = 0, int minute = 0, int second = 0) {
  return *DayNumber(year, month, day, hour, minute, second);
}

TEST(DateTextTest, DayNumbersCountFrom18991230) {
  EXPECT_EQ(Day(1899, 12, 30), 0.0);
  EXPECT_EQ(Day(1900, 3, 1), 61.0);
  EXPECT_EQ(Day(2024, 5, 1), 45413.0);
  EXPECT_DOUBLE_EQ(Day(2024, 5, 1, 18, 0), 45413.75);
  EXPECT_FALSE(DayNumber(2023, 2, 29));
  EXPECT_TRUE(DayNumber(2024, 2, 29));
  EXPECT_FALSE(DayNumber(2024, 4, 31));
  EXPECT_FALSE(DayNumber(2024, 13, 1));
  EXPECT_FALSE(DayNumber(2024, 1, 1, 24, 0));
}

TEST(DateTextTest, AcceptedForms) {
  const struct {
    const char* text;
    double expected;
  } cases[] = {
      {"2024/5/1", Day(2024, 5, 1)},
      {"2024/05/01", Day(2024, 5, 1)},
      {"2024-5-1", Day(2024, 5, 1)},
      {"2024.05.01", Day(2024, 5, 1)},
      {"  2024/05/01 9:05 ", Day(2024, 5, 1, 9, 5)},
      {"2024/05/01 23:59:30", Day(2024, 5, 1, 23, 59, 30)},
      {"2024-05-01T12:34:56+09:00", Day(2024, 5, 1, 12, 34, 56)},
      {"2024-05-01T12:34:56.789Z", Day(2024, 5, 1, 12, 34, 56) + 0.789 / 86400},
      {"2024-05-01T12:34-0500", Day(2024, 5, 1, 12, 34)},
      {"2024-05-01T01:02:03", Day(2024, 5, 1, 1, 2, 3)},
      {"2024年5月1日", Day(2024, 5, 1)},
      {"2024年05月01日 13時07分", Day(2024, 5, 1, 13, 7)},
      {"2024年5月1日 13時7分9秒", Day(2024, 5, 1, 13, 7, 9)},
      {"2024年5月1日 8:30", Day(2024, 5, 1, 8, 30)},
      {"Wed, 01 May 2024 12:00:00 +0900", Day(2024, 5, 1, 12)},
      {"1 May 2024 07:15 GMT", Day(2024, 5, 1, 7, 15)},
      {"Thu, 2 Jan 97 10:00:00 JST", Day(1997, 1, 2, 10)},
      {"45413.75", 45413.75},
      {" 12 ", 12.0},
      {"-1.5", -1.5},
  };
  for (const auto& c : cases) {
    const std::optional<double> value = ReadDateText(c.text);
    ASSERT_TRUE(value) << c.text;
    EXPECT_NEAR(*value, c.expected, 1e-9) << c.text;
  }
}

TEST(DateTextTest, EverythingElseIsNotADate) {
  for (const char* text :
       {"", "   ", "昨日", "2024/5", "2024/5/1/2", "2024/05-01", "2024/13/01", "2024/02/30",
        "24/05/01", "2024/05/01 25:00", "2024/05/01 12", "2024/05/01 noon", "2024-05-01T",
        "2024-05-01T12", "2024年5月", "2024年5月1日 13時", "Wed, 01 Foo 2024", "01 May 2024 +0900 x",
        "1e5", "12abc", "0x10", ".", "-", "1.2.3", "99999999"})
    EXPECT_FALSE(ReadDateText(text)) << '"' << text << '"';
}

}
