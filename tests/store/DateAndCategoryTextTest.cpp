#include "store/Tkcategorytext.h"
#include "store/Tkdatetime.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

TEST(DateTimeTest, DayNumbersFormatBothWays) {
  EXPECT_EQ(FormatDate(0), "1899/12/30");
  EXPECT_EQ(FormatDateTime(0), "1899/12/30 00:00:00");
  EXPECT_EQ(FormatDate(45413.999), "2024/05/01");
  EXPECT_EQ(FormatDateTime(*DayNumber(2024, 2, 29, 23, 59, 59)), "2024/02/29 23:59:59");
  EXPECT_EQ(FormatDateTime(*DayNumber(2000, 1, 1, 10, 0, 0)), "2000/01/01 10:00:00");
  EXPECT_EQ(FormatDate(*DayNumber(9999, 12, 31)), "9999/12/31");
  EXPECT_EQ(FormatDate(*DayNumber(1900, 3, 1)), "1900/03/01");
  EXPECT_FALSE(DayNumber(1900, 2, 29)) << "1900 is no leap year";
}

TEST(DateTimeTest, DayNumbersOutsideTheYears100To9999AreUnknown) {
  const double infinity = std::numeric_limits<double>::infinity();
  const double lastSecond = *DayNumber(9999, 12, 31, 23, 59, 59);
  const double firstDay = *DayNumber(100, 1, 1);
  for (const double outside : {1e300, -1e300, 1e13, -1e13, infinity, -infinity,
                               std::numeric_limits<double>::quiet_NaN(), lastSecond + 1.0 / 86400,
                               firstDay - 1.0 / 86400}) {
    EXPECT_FALSE(CivilDateTime(outside)) << outside;
    EXPECT_EQ(FormatDate(outside), "----/--/--") << outside;
    EXPECT_EQ(FormatDateTime(outside), "----/--/-- --:--:--") << outside;
  }
  EXPECT_EQ(FormatDateTime(lastSecond), "9999/12/31 23:59:59");
  EXPECT_EQ(FormatDateTime(firstDay), "0100/01/01 00:00:00");
}

TEST(CategoryTextTest, NamesAsTheCommentsPageShowsThem) {
  const std::map<std::int32_t, TCategory> categories{
      {0, TCategory(0, " ", "")},           {1, TCategory(1, "料理", "u")},
      {2, TCategory(2, " 旅行 ", "u")},     {3, TCategory(3, "a b", "u")},
      {4, TCategory(4, "say \"hi\"", "u")}, {5, TCategory(5, "x,y", "u")}};
  EXPECT_EQ(CategoryCommaText({0}, categories), "");
  EXPECT_EQ(CategoryCommaText({2, 1}, categories), "旅行,料理");
  EXPECT_EQ(CategoryCommaText({3, 9, 4, 5}, categories), "\"a b\",\"say \"\"hi\"\"\",\"x,y\"");
}

}
