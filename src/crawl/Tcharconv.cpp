#include "crawl/Tcharconv.h"

#include "crawl/Tksjisdecoder.h"

#include <unicode/ucnv.h>
#include <unicode/ucnv_cb.h>
#include <unicode/ucsdet.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <limits>
#include <memory>
#include <new>
#include <stdexcept>

namespace {

const char* const CreateFailed = "IEコンポーネントの初期化に失敗しました。(1)";
const char* const CodePageRefused = "IEコンポーネントの初期化に失敗しました。(2)";
const char* const AllocFailed = "IEコンポーネントのメモリ確保に失敗しました。";
const char* const ConvertFailed = "IEコンポーネントによる変換に失敗しました。";

struct ConverterCloser {
  void operator()(UConverter* converter) const { ucnv_close(converter); }
};
using Converter = std::unique_ptr<UConverter, ConverterCloser>;

struct DetectorCloser {
  void operator()(UCharsetDetector* detector) const { ucsdet_close(detector); }
};

const char* IcuName(int codePage) {
  switch (codePage) {
  case 932: return "windows-31j";
  case 50220: return "ISO-2022-JP";
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

// Picks the most likely of the four Japanese encodings; Shift_JIS when none fits.
int DetectCodePage(const std::string& text) {
  UErrorCode error = U_ZERO_ERROR;
  std::unique_ptr<UCharsetDetector, DetectorCloser> detector(ucsdet_open(&error));
  if (U_FAILURE(error))
    throw std::runtime_error(CreateFailed);
  const auto length = static_cast<int32_t>(
      std::min<size_t>(text.size(), std::numeric_limits<int32_t>::max()));
  ucsdet_setText(detector.get(), text.data(), length, &error);
  int32_t count = 0;
  const UCharsetMatch** matches = ucsdet_detectAll(detector.get(), &count, &error);
  if (U_FAILURE(error))
    return 932;
  for (int32_t i = 0; i < count; ++i) {
    const char* name = ucsdet_getName(matches[i], &error);
    if (U_FAILURE(error))
      break;
    if (std::strcmp(name, "Shift_JIS") == 0)
      return 932;
    if (std::strcmp(name, "EUC-JP") == 0)
      return 51932;
    if (std::strcmp(name, "ISO-2022-JP") == 0)
      return 50221;
    if (std::strcmp(name, "UTF-8") == 0)
      return 65001;
  }
  return 932;
}

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
    int trail;
    unsigned char low = 0x80, high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
      trail = 1;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      trail = 2;
      if (lead == 0xE0)
        low = 0xA0;
      else if (lead == 0xED)
        high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      trail = 3;
      if (lead == 0xF0)
        low = 0x90;
      else if (lead == 0xF4)
        high = 0x8F;
    } else {
      return false;
    }
    if (end - p <= trail || p[1] < low || p[1] > high)
      return false;
    for (int i = 2; i <= trail; ++i)
      if ((p[i] & 0xC0) != 0x80)
        return false;
    p += trail + 1;
  }
  return true;
}

std::string ConvertCharset(const std::string& text, int codePage) {
  if (codePage == 50932)
    codePage = DetectCodePage(text);
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
