#pragma once

#include <cstddef>
#include <string_view>

// A cursor over text for hand-written readers: each read consumes on success only,
// and Rewind goes back to a saved position.
class TextCursor {
public:
  explicit TextCursor(std::string_view text) : Text(text) {}

  static bool IsDigit(char c) { return c >= '0' && c <= '9'; }

  bool AtEnd() const { return Pos == Text.size(); }
  bool AtDigit() const { return !AtEnd() && IsDigit(Text[Pos]); }
  std::size_t Position() const { return Pos; }
  void Rewind(std::size_t position) { Pos = position; }

  // Reports whether any blank was skipped.
  bool SkipBlanks() {
    const std::size_t start = Pos;
    while (!AtEnd() && (Text[Pos] == ' ' || Text[Pos] == '\t' || Text[Pos] == '\r' || Text[Pos] == '\n'))
      ++Pos;
    return Pos > start;
  }
  bool Literal(std::string_view what) {
    if (Text.substr(Pos, what.size()) != what)
      return false;
    Pos += what.size();
    return true;
  }
  // An ASCII word in any letter case, not followed by a further letter.
  bool Word(std::string_view lowerCase) {
    if (Text.size() - Pos < lowerCase.size())
      return false;
    for (std::size_t i = 0; i < lowerCase.size(); ++i)
      if (Lower(Text[Pos + i]) != lowerCase[i])
        return false;
    const std::size_t end = Pos + lowerCase.size();
    if (end < Text.size() && Lower(Text[end]) >= 'a' && Lower(Text[end]) <= 'z')
      return false;
    Pos = end;
    return true;
  }
  bool OneOf(std::string_view chars, char& which) {
    if (AtEnd() || chars.find(Text[Pos]) == std::string_view::npos)
      return false;
    which = Text[Pos++];
    return true;
  }
  // minDigits to maxDigits ASCII digits.
  bool Number(int& value, std::size_t minDigits, std::size_t maxDigits) {
    std::size_t end = Pos;
    while (end < Text.size() && end - Pos < maxDigits && IsDigit(Text[end]))
      ++end;
    if (end - Pos < minDigits)
      return false;
    value = 0;
    for (; Pos < end; ++Pos)
      value = value * 10 + (Text[Pos] - '0');
    return true;
  }
  // "." or "," followed by digits, as a fraction of one; 0 when there is none.
  double Fraction() {
    char mark = 0;
    const std::size_t start = Pos;
    if (!OneOf(".,", mark))
      return 0;
    double value = 0;
    double scale = 0.1;
    std::size_t digits = 0;
    for (; AtDigit(); ++Pos, ++digits, scale /= 10)
      value += (Text[Pos] - '0') * scale;
    if (digits == 0)
      Pos = start;
    return value;
  }

private:
  static char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

  std::string_view Text;
  std::size_t Pos = 0;
};
