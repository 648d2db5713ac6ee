#include "text/Tksjisdecoder.h"

#include <unicode/ucnv.h>

#include <array>
#include <cstdint>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <vector>

namespace {

// An entry is a character's UTF-8 bytes in its low three bytes and their count in
// the high byte; 0 means the sequence does not map.
using Entry = uint32_t;

Entry EntryOf(UChar32 c) {
  if (c < 0x80)
    return 0x01000000u | static_cast<Entry>(c);
  if (c < 0x800)
    return 0x02000000u | (0xC0u | (c >> 6)) | (0x80u | (c & 0x3F)) << 8;
  return 0x03000000u | (0xE0u | (c >> 12)) | (0x80u | ((c >> 6) & 0x3F)) << 8 |
         (0x80u | (c & 0x3F)) << 16;
}

bool IsLead(unsigned b) {
  return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

bool IsTrail(unsigned b) {
  return b >= 0x40 && b <= 0xFC && b != 0x7F;
}

class Table {
public:
  Table() : Double(65536, 0) {
    UErrorCode error = U_ZERO_ERROR;
    std::unique_ptr<UConverter, decltype(&ucnv_close)> converter(ucnv_open("windows-31j", &error),
                                                                 &ucnv_close);
    if (U_FAILURE(error))
      throw std::runtime_error("IEコンポーネントの初期化に失敗しました。(1)");
    ucnv_setToUCallBack(converter.get(), UCNV_TO_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &error);
    for (unsigned b = 0; b < 256; ++b)
      if (!IsLead(b))
        Single[b] = Map(converter.get(), std::string(1, static_cast<char>(b)));
    for (unsigned lead = 0; lead < 256; ++lead)
      if (IsLead(lead))
        for (unsigned trail = 0; trail < 256; ++trail)
          if (IsTrail(trail))
            Double[lead << 8 | trail] =
                Map(converter.get(), {static_cast<char>(lead), static_cast<char>(trail)});
  }

  std::array<Entry, 256> Single{};
  std::vector<Entry> Double;

private:
  static Entry Map(UConverter* converter, const std::string& bytes) {
    UErrorCode error = U_ZERO_ERROR;
    UChar units[4];
    ucnv_reset(converter);
    const int32_t length =
        ucnv_toUChars(converter, units, 4, bytes.data(), static_cast<int32_t>(bytes.size()), &error);
    if (U_FAILURE(error) || length != 1 || units[0] == 0xFFFD || U16_IS_SURROGATE(units[0]))
      return 0;
    return EntryOf(units[0]);
  }
};

const Table& TheTable() {
  static const Table table;
  return table;
}

inline char* Put(char* out, Entry entry) {
  std::memcpy(out, &entry, 4);  // the output has room; only the counted bytes stay
  return out + (entry >> 24);
}

} // namespace

std::string DecodeCodePage932(std::string_view text) {
  const Table& table = TheTable();
  const Entry replacement = EntryOf(0xFFFD);
  std::string result(text.size() * 3 + 4, '\0');
  char* out = result.data();
  const auto* p = reinterpret_cast<const unsigned char*>(text.data());
  const auto* const end = p + text.size();
  while (p < end) {
    if (end - p >= 8) {
      uint64_t word;
      std::memcpy(&word, p, 8);
      if ((word & 0x8080808080808080ULL) == 0) {
        std::memcpy(out, &word, 8);
        out += 8;
        p += 8;
        continue;
      }
    }
    const unsigned b = *p;
    if (b < 0x80) {
      *out++ = static_cast<char>(b);
      ++p;
    } else if (!IsLead(b)) {
      const Entry entry = table.Single[b];
      out = Put(out, entry != 0 ? entry : replacement);
      ++p;
    } else if (end - p >= 2 && IsTrail(p[1])) {
      const Entry entry = table.Double[b << 8 | p[1]];
      out = Put(out, entry != 0 ? entry : replacement);
      p += 2;
    } else {
      out = Put(out, replacement);
      ++p;
    }
  }
  result.resize(out - result.data());
  return result;
}
