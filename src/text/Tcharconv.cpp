#include "text/Tcharconv.h"

#include "text/Tksjisdecoder.h"
#include "text/Tkutf8.h"
#include "text/Tpagecharset.h"

#include <unicode/ucnv.h>
#include <unicode/ucnv_cb.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <memory>
#include <new>
#include <stdexcept>
#include <string_view>
#include <utility>

namespace {

const char* const CreateFailed = "IEコンポーネントの初期化に失敗しました。(1)";
const char* const CodePageRefused = "IEコンポーネントの初期化に失敗しました。(2)";
const char* const AllocFailed = "IEコンポーネントのメモリ確保に失敗しました。";
const char* const ConvertFailed = "IEコンポーネントによる変換に失敗しました。";

struct ConverterCloser {
  void operator()(UConverter* converter) const { ucnv_close(converter); }
};
using Converter = std::unique_ptr<UConverter, ConverterCloser>;

const char* IcuName(int codePage) {
  switch (codePage) {
  case 932: return "windows-31j";
  // JIS7: no U+FFFD where one escape directly follows another, as pieces encoded
  // apart produce, and half-width katakana between SO and SI.
  case 50220: return "ISO_2022,locale=ja,version=3";
  case 50221: return "ISO_2022,locale=ja,version=4";
  case 51932: return "EUC-JP";
  case 65000: return "UTF-7";
  case 65001: return "UTF-8";
  default: return nullptr;
  }
}

// Every unmappable or malformed sequence becomes U+FFFD, whatever the converter's
// own substitution character is.
void ToReplacementCharacter(const void*, UConverterToUnicodeArgs* args, const char*, int32_t,
                            UConverterCallbackReason reason, UErrorCode* error) {
  if (reason > UCNV_IRREGULAR)
    return;
  static const UChar replacement = 0xFFFD;
  *error = U_ZERO_ERROR;
  ucnv_cbToUWriteUChars(args, &replacement, 1, 0, error);
}

Converter Open(const char* name) {
  UErrorCode error = U_ZERO_ERROR;
  Converter converter(ucnv_open(name, &error));
  if (U_FAILURE(error))
    throw std::runtime_error(CreateFailed);
  return converter;
}

// The detector's scores for the four Japanese encodings, worked out as ICU's
// charset detector does (ICU 72: csrutf8, csrmbcs, csr2022). Its other two dozen
// recognizers cost some hundred times more per page and never change the choice.

int Utf8Confidence(const std::string& text) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
  const size_t length = text.size();
  const bool bom = length >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF;
  long valid = 0;
  long invalid = 0;
  for (size_t i = 0; i < length; ++i) {
    unsigned char b = bytes[i];
    if (b < 0x80)
      continue;
    int trail = (b & 0xE0) == 0xC0 ? 1 : (b & 0xF0) == 0xE0 ? 2 : (b & 0xF8) == 0xF0 ? 3 : 0;
    if (trail == 0) {
      ++invalid;
      continue;
    }
    // A byte that breaks a sequence is counted with it and not looked at again.
    while (++i < length) {
      b = bytes[i];
      if ((b & 0xC0) != 0x80) {
        ++invalid;
        break;
      }
      if (--trail == 0) {
        ++valid;
        break;
      }
    }
  }
  if (bom && invalid == 0)
    return 100;
  if (bom && valid > invalid * 10)
    return 80;
  if (valid > 3 && invalid == 0)
    return 100;
  if (valid > 0 && invalid == 0)
    return 80;
  if (valid == 0 && invalid == 0)
    return 15;
  if (valid > invalid * 10)
    return 25;
  return 0;
}

// One character of a multi-byte encoding: its value (lead byte first) and whether
// it is malformed.
struct MbcsChar {
  long Value = 0;
  bool Error = false;
};

// Reads the byte at position, or -1 past the end; moves on either way.
int NextByte(const std::string& text, size_t& position) {
  if (position >= text.size())
    return -1;
  return static_cast<unsigned char>(text[position++]);
}

MbcsChar NextSjisChar(const std::string& text, size_t& position) {
  const int first = NextByte(text, position);
  MbcsChar c{first, false};
  if (first <= 0x7F || (first > 0xA0 && first <= 0xDF))
    return c;
  const int second = NextByte(text, position);
  if (second >= 0)
    c.Value = (first << 8) | second;
  c.Error = !(second >= 0x40 && second <= 0xFE);
  return c;
}

MbcsChar NextEucChar(const std::string& text, size_t& position) {
  const int first = NextByte(text, position);
  MbcsChar c{first, false};
  if (first <= 0x8D)
    return c;
  const int second = NextByte(text, position);
  if (second >= 0)
    c.Value = (c.Value << 8) | second;
  if ((first >= 0xA1 && first <= 0xFE) || first == 0x8E) {
    c.Error = second < 0xA1;
  } else if (first == 0x8F) {
    const int third = NextByte(text, position);
    c.Value = third < 0 ? -1 : (c.Value << 8) | third;
    c.Error = third < 0xA1;
  }
  return c;
}

// The detector's most frequent characters of each encoding, ascending.
constexpr unsigned short CommonSjis[] = {
    0x8140, 0x8141, 0x8142, 0x8145, 0x815b, 0x8169, 0x816a, 0x8175, 0x8176, 0x82a0,
    0x82a2, 0x82a4, 0x82a9, 0x82aa, 0x82ab, 0x82ad, 0x82af, 0x82b1, 0x82b3, 0x82b5,
    0x82b7, 0x82bd, 0x82be, 0x82c1, 0x82c4, 0x82c5, 0x82c6, 0x82c8, 0x82c9, 0x82cc,
    0x82cd, 0x82dc, 0x82e0, 0x82e7, 0x82e8, 0x82e9, 0x82ea, 0x82f0, 0x82f1, 0x8341,
    0x8343, 0x834e, 0x834f, 0x8358, 0x835e, 0x8362, 0x8367, 0x8375, 0x8376, 0x8389,
    0x838a, 0x838b, 0x838d, 0x8393, 0x8e96, 0x93fa, 0x95aa};
constexpr unsigned short CommonEucJp[] = {
    0xa1a1, 0xa1a2, 0xa1a3, 0xa1a6, 0xa1bc, 0xa1ca, 0xa1cb, 0xa1d6, 0xa1d7, 0xa4a2,
    0xa4a4, 0xa4a6, 0xa4a8, 0xa4aa, 0xa4ab, 0xa4ac, 0xa4ad, 0xa4af, 0xa4b1, 0xa4b3,
    0xa4b5, 0xa4b7, 0xa4b9, 0xa4bb, 0xa4bd, 0xa4bf, 0xa4c0, 0xa4c1, 0xa4c3, 0xa4c4,
    0xa4c6, 0xa4c7, 0xa4c8, 0xa4c9, 0xa4ca, 0xa4cb, 0xa4ce, 0xa4cf, 0xa4d0, 0xa4de,
    0xa4df, 0xa4e1, 0xa4e2, 0xa4e4, 0xa4e8, 0xa4e9, 0xa4ea, 0xa4eb, 0xa4ec, 0xa4ef,
    0xa4f2, 0xa4f3, 0xa5a2, 0xa5a3, 0xa5a4, 0xa5a6, 0xa5a7, 0xa5aa, 0xa5ad, 0xa5af,
    0xa5b0, 0xa5b3, 0xa5b5, 0xa5b7, 0xa5b8, 0xa5b9, 0xa5bf, 0xa5c3, 0xa5c6, 0xa5c7,
    0xa5c8, 0xa5c9, 0xa5cb, 0xa5d0, 0xa5d5, 0xa5d6, 0xa5d7, 0xa5de, 0xa5e0, 0xa5e1,
    0xa5e5, 0xa5e9, 0xa5ea, 0xa5eb, 0xa5ec, 0xa5ed, 0xa5f3, 0xb8a9, 0xb9d4, 0xbaee,
    0xbbc8, 0xbef0, 0xbfb7, 0xc4ea, 0xc6fc, 0xc7bd, 0xcab8, 0xcaf3, 0xcbdc, 0xcdd1};

template <size_t N>
int MbcsConfidence(const std::string& text, MbcsChar (*next)(const std::string&, size_t&),
                   const unsigned short (&common)[N]) {
  long total = 0, doubles = 0, commons = 0, bad = 0;
  size_t position = 0;
  while (position < text.size()) {
    const MbcsChar c = next(text, position);
    ++total;
    if (c.Error) {
      ++bad;
    } else if (c.Value > 0xFF) {
      ++doubles;
      // The detector looks the value up as 16 bits, so a three-byte character
      // counts by its last two bytes.
      if (std::binary_search(common, common + N, static_cast<unsigned short>(c.Value)))
        ++commons;
    }
    if (bad >= 2 && bad * 5 >= doubles)
      return 0;
  }
  if (doubles <= 10 && bad == 0)
    return doubles == 0 && total < 10 ? 0 : 10;
  if (doubles < 20 * bad)
    return 0;
  const double scale = 90.0 / std::log(static_cast<double>(doubles) / 4);
  const int confidence = static_cast<int>(std::log(static_cast<double>(commons) + 1) * scale + 10.0);
  return std::max(std::min(confidence, 100), 0);
}

// Escape sequences among the first 8,192 bytes, the detector's buffer.
int Iso2022JpConfidence(const std::string& text) {
  static const char* const sequences[] = {"\x1B$(C", "\x1B$(D", "\x1B$@", "\x1B$A",
                                          "\x1B$B",  "\x1B&@",  "\x1B(B", "\x1B(H",
                                          "\x1B(I",  "\x1B(J",  "\x1B.A", "\x1B.F"};
  const std::string_view input(text.data(), std::min<size_t>(text.size(), 8192));
  long hits = 0, misses = 0, shifts = 0;
  for (size_t i = 0; i < input.size(); ++i) {
    if (input[i] == '\x1B') {
      bool hit = false;
      for (const char* sequence : sequences) {
        if (input.substr(i).starts_with(sequence)) {
          hit = true;
          i += std::strlen(sequence) - 1;
          break;
        }
      }
      if (hit) {
        ++hits;
        continue;
      }
      ++misses;
    }
    if (input[i] == '\x0E' || input[i] == '\x0F')
      ++shifts;
  }
  if (hits == 0)
    return 0;
  long quality = (100 * hits - 100 * misses) / (hits + misses);
  if (hits + shifts < 5)
    quality -= (5 - (hits + shifts)) * 10;
  return static_cast<int>(std::max(quality, 0L));
}

} // namespace

int DetectJapaneseCodePage(const std::string& text) {
  // Highest score wins; a tie goes to the one the detector lists first.
  const std::pair<int, int> scores[] = {
      {Utf8Confidence(text), 65001},
      {MbcsConfidence(text, NextSjisChar, CommonSjis), 932},
      {MbcsConfidence(text, NextEucChar, CommonEucJp), 51932},
      {Iso2022JpConfidence(text), 50221}};
  int best = 0;
  int codePage = 932;
  for (const auto& [score, page] : scores) {
    if (score > best) {
      best = score;
      codePage = page;
    }
  }
  return codePage;
}

namespace {

std::string Convert(const std::string& text, const char* name) {
  Converter source = Open(name);
  Converter target = Open("UTF-8");
  UErrorCode error = U_ZERO_ERROR;
  ucnv_setToUCallBack(source.get(), ToReplacementCharacter, nullptr, nullptr, nullptr, &error);
  // One input byte never gives more than one UTF-16 unit, that is three UTF-8 bytes.
  std::string result(text.size() * 3 + 4, '\0');
  char* out = result.data();
  const char* in = text.data();
  ucnv_convertEx(target.get(), source.get(), &out, result.data() + result.size(), &in,
                 text.data() + text.size(), nullptr, nullptr, nullptr, nullptr, true, true,
                 &error);
  if (U_FAILURE(error))
    throw std::runtime_error(ConvertFailed);
  result.resize(out - result.data());
  return result;
}

} // namespace

bool IsValidUtf8(std::string_view text) {
  const auto* p = reinterpret_cast<const unsigned char*>(text.data());
  const auto* end = p + text.size();
  while (p < end) {
    if (end - p >= 8) {
      uint64_t word;
      std::memcpy(&word, p, 8);
      if ((word & 0x8080808080808080ULL) == 0) {
        p += 8;
        continue;
      }
    }
    const unsigned char lead = *p;
    if (lead < 0x80) {
      ++p;
      continue;
    }
    TUtf8Lead shape;
    if (!ReadUtf8Lead(lead, shape))
      return false;
    const int trail = shape.Trail;
    if (end - p <= trail || p[1] < shape.Low || p[1] > shape.High)
      return false;
    for (int i = 2; i <= trail; ++i)
      if ((p[i] & 0xC0) != 0x80)
        return false;
    p += trail + 1;
  }
  return true;
}

std::string ConvertCharset(const std::string& text, int codePage) {
  codePage = ChoosePageCodePage(codePage, "", text);
  const char* name = IcuName(codePage);
  if (name == nullptr)
    throw std::runtime_error(CodePageRefused);
  try {
    std::string result = codePage == 932                          ? DecodeCodePage932(text)
                         : codePage == 65001 && IsValidUtf8(text) ? text
                                                                  : Convert(text, name);
    const size_t nul = result.find('\0');
    if (nul != std::string::npos)
      result.resize(nul);
    return result;
  } catch (const std::bad_alloc&) {
    throw std::runtime_error(AllocFailed);
  }
}
