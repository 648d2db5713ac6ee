#include "text/Tkprintable.h"

#include "text/Tkutf8.h"

namespace {

constexpr char32_t Replacement = 0xFFFD;

}

char32_t NextCharacter(std::string_view text, size_t& i) {
  const unsigned char lead = static_cast<unsigned char>(text[i++]);
  if (lead < 0x80)
    return lead;
  TUtf8Lead shape;
  if (!ReadUtf8Lead(lead, shape))
    return Replacement;
  char32_t character = shape.Bits;
  unsigned char low = shape.Low, high = shape.High;
  for (int k = 0; k < shape.Trail; ++k) {
    if (i >= text.size())
      return Replacement;
    const unsigned char next = static_cast<unsigned char>(text[i]);
    if (next < low || next > high)
      return Replacement;
    character = (character << 6) | (next & 0x3F);
    ++i;
    low = 0x80;
    high = 0xBF;
  }
  return character;
}

bool IsControlCharacter(char32_t c) {
  return c < 0x20 || (c >= 0x7F && c <= 0x9F);
}

std::string PrintableText(std::string_view text, std::u32string_view kept) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    const char32_t c = NextCharacter(text, i);
    AppendUtf8(out, IsControlCharacter(c) && kept.find(c) == kept.npos ? Replacement : c);
  }
  return out;
}
