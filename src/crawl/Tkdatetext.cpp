#include "crawl/Tkdatetext.h"

#include "store/Tkdatetime.h"

#include <array>
#include <cmath>
#include <cstdlib>
#include <string_view>

namespace {

// A cursor over the text; each reader consumes on success only.
class Reader {
public:
  explicit Reader(std::string_view text) : Text(text) {}

  bool AtEnd() const { return Pos == Text.size(); }
  void SkipBlanks() {
    while (!AtEnd() && (Text[Pos] == ' ' || Text[Pos] == '\t' || Text[Pos] == '\r' || Text[Pos] == '\n'))
      ++Pos;
  }
  bool Literal(std::string_view what) {
    if (Text.substr(Pos, what.size()) != what)
      return false;
    Pos += what.size();
    return true;
  }
  bool OneOf(std::string_view chars, char& which) {
    if (AtEnd() || chars.find(Text[Pos]) == std::string_view::npos)
      return false;
    which = Text[Pos++];
    return true;
  }
  // minDigits to maxDigits ASCII digits.
  bool Number(int& value, size_t minDigits, size_t maxDigits) {
    size_t end = Pos;
    while (end < Text.size() && end - Pos < maxDigits && Text[end] >= '0' && Text[end] <= '9')
      ++end;
    if (end - Pos < minDigits)
      return false;
    value = 0;
    for (; Pos < end; ++Pos)
      value = value * 10 + (Text[Pos] - '0');
    return true;
  }
  // "." or "," followed by digits, as a fraction of one.
  double Fraction() {
    char mark = 0;
    const size_t start = Pos;
    if (!OneOf(".,", mark))
      return 0;
    double value = 0;
    double scale = 0.1;
    size_t digits = 0;
    for (; !AtEnd() && Text[Pos] >= '0' && Text[Pos] <= '9'; ++Pos, ++digits, scale /= 10)
      value += (Text[Pos] - '0') * scale;
    if (digits == 0)
      Pos = start;
    return value;
  }
  size_t Position() const { return Pos; }
  void Rewind(size_t position) { Pos = position; }

private:
  std::string_view Text;
  size_t Pos = 0;
};

struct TimeOfDay {
  int hour = 0;
  int minute = 0;
  double second = 0;
};

// h:mm or h:mm:ss, with an optional fraction of a second.
bool ReadClock(Reader& in, TimeOfDay& time) {
  const size_t start = in.Position();
  int second = 0;
  if (!in.Number(time.hour, 1, 2) || !in.Literal(":") || !in.Number(time.minute, 2, 2)) {
    in.Rewind(start);
    return false;
  }
  if (in.Literal(":")) {
    if (!in.Number(second, 2, 2)) {
      in.Rewind(start);
      return false;
    }
    time.second = second + in.Fraction();
  }
  return true;
}

// "Z", "+09:00", "+0900" or "-05"; its value is not used.
void SkipZone(Reader& in) {
  char sign = 0;
  int ignored = 0;
  if (in.Literal("Z") || in.Literal("z"))
    return;
  const size_t start = in.Position();
  if (!in.OneOf("+-", sign) || !in.Number(ignored, 2, 2)) {
    in.Rewind(start);
    return;
  }
  in.Literal(":");
  in.Number(ignored, 2, 2);
}

std::optional<double> Finish(Reader& in, int year, int month, int day, const TimeOfDay& time) {
  in.SkipBlanks();
  if (!in.AtEnd())
    return std::nullopt;
  return DayNumber(year, month, day, time.hour, time.minute, time.second);
}

// yyyy/m/d, yyyy-m-d, yyyy.m.d; then a clock after blanks, or "T" and an ISO time.
std::optional<double> ReadNumericDate(std::string_view text) {
  Reader in(text);
  in.SkipBlanks();
  int year = 0, month = 0, day = 0;
  char separator = 0;
  char second = 0;
  if (!in.Number(year, 4, 4) || !in.OneOf("/-.", separator) || !in.Number(month, 1, 2) ||
      !in.OneOf("/-.", second) || second != separator || !in.Number(day, 1, 2))
    return std::nullopt;
  TimeOfDay time;
  if (separator == '-' && (in.Literal("T") || in.Literal("t"))) {
    if (!ReadClock(in, time))
      return std::nullopt;
    SkipZone(in);
    return Finish(in, year, month, day, time);
  }
  const size_t beforeBlanks = in.Position();
  in.SkipBlanks();
  if (in.Position() > beforeBlanks)
    ReadClock(in, time);
  return Finish(in, year, month, day, time);
}

// yyyy年m月d日, then H時M分, H時M分S秒 or h:mm.
std::optional<double> ReadJapaneseDate(std::string_view text) {
  Reader in(text);
  in.SkipBlanks();
  int year = 0, month = 0, day = 0;
  if (!in.Number(year, 4, 4) || !in.Literal("年") || !in.Number(month, 1, 2) || !in.Literal("月") ||
      !in.Number(day, 1, 2) || !in.Literal("日"))
    return std::nullopt;
  in.SkipBlanks();
  TimeOfDay time;
  const size_t start = in.Position();
  if (in.Number(time.hour, 1, 2) && in.Literal("時") && in.Number(time.minute, 1, 2) && in.Literal("分")) {
    int second = 0;
    const size_t beforeSecond = in.Position();
    if (in.Number(second, 1, 2) && in.Literal("秒"))
      time.second = second;
    else
      in.Rewind(beforeSecond);
  } else {
    in.Rewind(start);
    time = {};
    ReadClock(in, time);
  }
  return Finish(in, year, month, day, time);
}

// [Wed, ]01 May 2024[ 12:00[:00]][ +0900 | GMT | JST ...]
std::optional<double> ReadRfc822Date(std::string_view text) {
  static constexpr std::array<std::string_view, 12> Months{"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                           "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  static constexpr std::array<std::string_view, 7> Days{"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"};
  Reader in(text);
  in.SkipBlanks();
  for (const std::string_view name : Days) {
    if (in.Literal(name)) {
      in.SkipBlanks();
      if (!in.Literal(","))
        return std::nullopt;
      in.SkipBlanks();
      break;
    }
  }
  int day = 0, year = 0;
  if (!in.Number(day, 1, 2))
    return std::nullopt;
  in.SkipBlanks();
  int month = 0;
  for (size_t i = 0; i < Months.size() && month == 0; ++i)
    if (in.Literal(Months[i]))
      month = static_cast<int>(i) + 1;
  if (month == 0)
    return std::nullopt;
  in.SkipBlanks();
  const size_t yearStart = in.Position();
  if (!in.Number(year, 2, 4) || (in.Position() - yearStart) == 3)
    return std::nullopt;
  if (in.Position() - yearStart == 2)
    year += year < 50 ? 2000 : 1900;
  TimeOfDay time;
  in.SkipBlanks();
  if (ReadClock(in, time)) {
    in.SkipBlanks();
    SkipZone(in);
    for (const std::string_view zone : {"GMT", "UT", "JST", "EST", "EDT", "CST", "CDT", "MST", "MDT", "PST", "PDT"})
      if (in.Literal(zone))
        break;
  }
  return Finish(in, year, month, day, time);
}

// A plain decimal number: digits with an optional sign and decimal point, within
// the years a date-time can hold.
std::optional<double> ReadDayNumber(std::string_view text) {
  constexpr std::string_view Blanks = " \t\r\n";
  const size_t first = text.find_first_not_of(Blanks);
  if (first == std::string_view::npos)
    return std::nullopt;
  const std::string number(text.substr(first, text.find_last_not_of(Blanks) - first + 1));
  size_t digits = 0;
  bool point = false;
  for (size_t i = (number[0] == '+' || number[0] == '-') ? 1 : 0; i < number.size(); ++i) {
    if (number[i] >= '0' && number[i] <= '9')
      ++digits;
    else if (number[i] == '.' && !point)
      point = true;
    else
      return std::nullopt;
  }
  const double value = std::strtod(number.c_str(), nullptr);
  if (digits == 0 || !(std::fabs(value) < 2958466))
    return std::nullopt;
  return value;
}

}

std::optional<double> ReadDateText(const std::string& text) {
  for (const auto reader : {ReadNumericDate, ReadJapaneseDate, ReadRfc822Date, ReadDayNumber})
    if (const std::optional<double> value = reader(text))
      return value;
  return std::nullopt;
}
