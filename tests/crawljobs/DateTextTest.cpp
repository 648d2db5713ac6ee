#include "TestBlog.h"

#include "crawl/Tentrycrawl.h"
#include "net/Tappconfig.h"
#include "store/Tentry.h"
#include "store/Tkappfolder.h"
#include "store/Tkdatetime.h"
#include "store/Tprojectdb.h"
#include "text/Tkdatetext.h"

#include "support/ScopedEnv.h"

#include <gtest/gtest.h>

#include <ctime>

namespace {

struct DateCase {
  const char* text;
  double expected;
};

void ExpectDates(const std::vector<DateCase>& cases) {
  for (const DateCase& c : cases) {
    const std::optional<double> value = ReadDateText(c.text);
    ASSERT_TRUE(value) << c.text;
    EXPECT_NEAR(*value, c.expected, 1e-9) << c.text;
  }
}

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
  ExpectDates({
      {"2024/5/1", Day(2024, 5, 1)},
      {"2024/05/01", Day(2024, 5, 1)},
      {"2024-5-1", Day(2024, 5, 1)},
      {"2024.05.01", Day(2024, 5, 1)},
      {"  2024/05/01 9:05 ", Day(2024, 5, 1, 9, 5)},
      {"2024/05/01 23:59:30", Day(2024, 5, 1, 23, 59, 30)},
      {"2024-05-01T12:34:56+09:00", Day(2024, 5, 1, 12, 34, 56)},
      {"2024-05-01T12:34:56.789Z", Day(2024, 5, 1, 21, 34, 56) + 0.789 / 86400},
      {"2024-05-01T12:34-0500", Day(2024, 5, 2, 2, 34)},
      {"2024-05-01T01:02:03", Day(2024, 5, 1, 1, 2, 3)},
      {"2024年5月1日", Day(2024, 5, 1)},
      {"2024年05月01日 13時07分", Day(2024, 5, 1, 13, 7)},
      {"2024年5月1日 13時7分9秒", Day(2024, 5, 1, 13, 7, 9)},
      {"2024年5月1日 8:30", Day(2024, 5, 1, 8, 30)},
      {"Wed, 01 May 2024 12:00:00 +0900", Day(2024, 5, 1, 12)},
      {"1 May 2024 07:15 GMT", Day(2024, 5, 1, 16, 15)},
      {"Thu, 2 Jan 97 10:00:00 JST", Day(1997, 1, 2, 10)},
      {"45413.75", 45413.75},
      {" 12 ", 12.0},
      {"-1.5", -1.5},
  });
}

// The tests run with TZ=Asia/Tokyo, as the blogs' readers do.
TEST(DateTextTest, DateTimesWithAZoneReadAsTheLocalClockShowsThem) {
  ExpectDates({
      {"2024-05-01 10:00+09:00", Day(2024, 5, 1, 10)},
      {"2024-05-01 10:00:00Z", Day(2024, 5, 1, 19)},
      {"2024-10-31T14:59:00.000Z", Day(2024, 10, 31, 23, 59)},
      {"2024-09-30T15:00:00Z", Day(2024, 10, 1, 0, 0)},
      {"2024-05-01 10:00:00.250-05:00", Day(2024, 5, 2, 0) + 0.25 / 86400},
      {"2024-05-01 23:30 +0900", Day(2024, 5, 1, 23, 30)},
      {"2024-05-01t10:00z", Day(2024, 5, 1, 19)},
      {"2024-05-01T10:00:00 +09:00", Day(2024, 5, 1, 10)},
      {"2024-05-01 10:00 UTC", Day(2024, 5, 1, 19)},
      {"2024/05/01 10:00 PDT", Day(2024, 5, 2, 2)},
      {"2024-05-01 10:00", Day(2024, 5, 1, 10)},
  });
  {
    // Elsewhere the same moments read as that place's clock shows them.
    const ScopedEnv zone("TZ", "America/New_York");
    tzset();
    ExpectDates({
        {"2024-05-01 10:00+09:00", Day(2024, 4, 30, 21)},
        {"2024-01-15 12:00Z", Day(2024, 1, 15, 7)},
        {"2024-05-01 10:00", Day(2024, 5, 1, 10)},
    });
  }
  tzset();
}

TEST(DateTextTest, FormsJapaneseBlogsPrint) {
  ExpectDates({
      {"2024年5月1日(水) 15時05分", Day(2024, 5, 1, 15, 5)},
      {"2024年5月1日（水）15時05分", Day(2024, 5, 1, 15, 5)},
      {"2024年5月1日 水曜日 15:05", Day(2024, 5, 1, 15, 5)},
      {"2024年5月1日(水曜日)", Day(2024, 5, 1)},
      {"2024年 5月 1日 午後 3時 5分", Day(2024, 5, 1, 15, 5)},
      {"2024年5月1日 午前9時5分30秒", Day(2024, 5, 1, 9, 5, 30)},
      {"2024/5/1 午後3:05", Day(2024, 5, 1, 15, 5)},
      {"2024/5/1午後3:05", Day(2024, 5, 1, 15, 5)},
      {"2024/5/1 (水) 9:5", Day(2024, 5, 1, 9, 5)},
      {"2024/5/1(Wed) 3:05 PM", Day(2024, 5, 1, 15, 5)},
      {"2024/05/01 [wed] 3:05pm JST", Day(2024, 5, 1, 15, 5)},
      {"2024.5.1 PM 3:05", Day(2024, 5, 1, 15, 5)},
      {"2024/5/1 9:05 a.m.", Day(2024, 5, 1, 9, 5)},
      {"２０２４年５月１日（水）　１５時０５分", Day(2024, 5, 1, 15, 5)},
      {"２０２４／０５／０１　午後３：０５", Day(2024, 5, 1, 15, 5)},
      {"\u3000２０２４－０５－０１\u3000", Day(2024, 5, 1)},
      {"2024/5/1\u00a015:05", Day(2024, 5, 1, 15, 5)},
  });
}

TEST(DateTextTest, TwelveHourClocksCountFromMidnightAndNoon) {
  ExpectDates({
      {"2024/5/1 午前0時0分", Day(2024, 5, 1, 0, 0)},
      {"2024/5/1 午前12:30", Day(2024, 5, 1, 0, 30)},
      {"2024/5/1 12:30 AM", Day(2024, 5, 1, 0, 30)},
      {"2024/5/1 午前11:59", Day(2024, 5, 1, 11, 59)},
      {"2024/5/1 午後0:30", Day(2024, 5, 1, 12, 30)},
      {"2024/5/1 12:30 PM", Day(2024, 5, 1, 12, 30)},
      {"2024/5/1 午後1:00", Day(2024, 5, 1, 13, 0)},
      {"2024/5/1 11:59:59 pm", Day(2024, 5, 1, 23, 59, 59)},
  });
}

TEST(DateTextTest, EnglishMonthNamesInAnyCase) {
  ExpectDates({
      {"May 1, 2024", Day(2024, 5, 1)},
      {"1 May 2024", Day(2024, 5, 1)},
      {"may 1 2024", Day(2024, 5, 1)},
      {"1 MAY 2024", Day(2024, 5, 1)},
      {"January 15, 2024", Day(2024, 1, 15)},
      {"15 january 2024", Day(2024, 1, 15)},
      {"Sept. 3, 2024", Day(2024, 9, 3)},
      {"Sep 3, 2024", Day(2024, 9, 3)},
      {"dec. 31, 2024", Day(2024, 12, 31)},
      {"Wednesday, May 1st, 2024", Day(2024, 5, 1)},
      {"May 22nd, 2024 3:05 pm", Day(2024, 5, 22, 15, 5)},
      {"3rd March 2024", Day(2024, 3, 3)},
      {"11th Feb 2024", Day(2024, 2, 11)},
      {"Ｍａｙ　１，　２０２４", Day(2024, 5, 1)},
      {"May 1, 2024 (Wed) 10:00", Day(2024, 5, 1, 10)},
  });
}


TEST(DateTextTest, EverythingElseIsNotADate) {
  for (const char* text :
       {"", "   ", "昨日", "2024/5", "2024/5/1/2", "2024/05-01", "2024/13/01", "2024/02/30",
        "24/05/01", "2024/05/01 25:00", "2024/05/01 12", "2024/05/01 noon", "2024-05-01T",
        "2024-05-01T12", "2024年5月", "2024年5月1日 13時", "Wed, 01 Foo 2024", "01 May 2024 +0900 x",
        "1e5", "12abc", "0x10", ".", "-", "1.2.3", "99999999", "2958466", "-700000", "-1000000"})
    EXPECT_FALSE(ReadDateText(text)) << '"' << text << '"';
}

// Texts that look like the printed forms but name no moment, or carry more than
// a date: storing them as some date would be worse than day 0.
TEST(DateTextTest, NonsenseInPrintedFormsIsNotADate) {
  for (const char* text :
       {"午後13:00", "2024/5/1 午後13:00", "2024/5/1 13:00 PM", "2024年5月1日 午後13時5分", "2024/2/30",
        "2024年2月30日", "2024/5/1 25:00", "2024/5/1 10:60", "2024/5/1 10:00:60", "2024/5/1 午後",
        "2024/5/1 午後 PM 3:05", "2024/5/1 3:05 PM PM", "2024/5/1 (水", "2024/5/1 (木)(水)",
        "2024/5/1 (x)", "2024/5/1 (水]", "2024/5/1 水", "2024/5/115:05",
        "2024-05-01 10:00+9", "2024-05-01 +09:00", "2024-05-01T10:00 PM",
        "May 32, 2024", "Mayo 1, 2024", "May 1, 202", "May, 2024", "Feb 29, 2023", "Funday, May 1, 2024",
        "1 Mai 2024", "May 1st 2024 x", "May 11st, 2024", "2nd May 2024th", "ＰＭ３：０５", "2024年5月1日 15時05分 x", "\xEF\xBC", "2024\xEF\xBC" "5/1",
        "２０２４/５/１\xEF\xBC", "2024/5/1\xEF\xBC\xC0", "9999/12/31 23:59:59.9"})
    EXPECT_FALSE(ReadDateText(text)) << '"' << text << '"';
}

// A blog that prints its dates in several of these forms, read by a real crawl: each
// entry keeps its moment, and only the nonsense one is logged and stored as day 0.
TEST(DateTextTest, ACrawlStoresTheDatesTheBlogPrints) {
  TAppConfig::GetInstance()->SetSleepTime(0);
  TAppConfig::GetInstance()->SetUseProxy(false);
  TestBlog blog;
  const std::vector<std::pair<std::string, double>> pages{
      {"２０２４年５月５日（日）　午後３時０５分", Day(2024, 5, 5, 15, 5)},
      {"2024-05-04 10:00+09:00", Day(2024, 5, 4, 10)},
      {"2024/5/3 午後13:00", 0},
      {"May 2, 2024 9:30 PM", Day(2024, 5, 2, 21, 30)},
      {"1 May 2024", Day(2024, 5, 1)},
  };
  blog.SetPage("/", "top recent:/e/0;");
  for (size_t i = 0; i < pages.size(); ++i) {
    const std::string next = i + 1 < pages.size() ? "/e/" + std::to_string(i + 1) : "";
    blog.SetPage("/e/" + std::to_string(i), TestBlog::EntryPage(pages[i].first, "記事", next));
  }
  TProjectDb db;
  db.New(GetDbFolder() + "blog.mdb");
  RecordingListener listener;
  TEntryCrawl crawl;
  crawl.SetStartUrl(blog.Url("/"));
  crawl.SetDb(&db);
  crawl.SetBlogConfig(blog.BlogType());
  crawl.SetListener(&listener);
  ASSERT_TRUE(crawl.Run());

  const std::vector<std::string> expectedLog{
      "OK: " + blog.Url("/e/0") + " 最新エントリーのURLを取得しました。",
      "OK: " + blog.Url("/e/0") + " 記事",
      "OK: " + blog.Url("/e/1") + " 記事",
      "Error: 2024/5/3 午後13:00 は日付ではありません。",
      "OK: " + blog.Url("/e/2") + " 記事",
      "OK: " + blog.Url("/e/3") + " 記事",
      "OK: " + blog.Url("/e/4") + " 記事"};
  ASSERT_GE(listener.Lines.size(), expectedLog.size());
  EXPECT_EQ(std::vector<std::string>(listener.Lines.begin(), listener.Lines.begin() + expectedLog.size()),
            expectedLog);
  const auto entries = LoadEntries(db);
  ASSERT_EQ(entries.size(), pages.size());
  for (size_t i = 0; i < pages.size(); ++i)
    EXPECT_DOUBLE_EQ(entries[i].GetDate(), pages[i].second) << pages[i].first;
}

}
