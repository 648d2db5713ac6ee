#include "text/Tksjisdecoder.h"

#include <unicode/ucnv.h>
#include <unicode/ucnv_cb.h>

#include <gtest/gtest.h>

#include <memory>
#include <random>

namespace {

void ToReplacement(const void*, UConverterToUnicodeArgs* args, const char*, int32_t,
                   UConverterCallbackReason reason, UErrorCode* error) {
  if (reason > UCNV_IRREGULAR)
    return;
  static const UChar replacement = 0xFFFD;
  *error = U_ZERO_ERROR;
  ucnv_cbToUWriteUChars(args, &replacement, 1, 0, error);
}

// The plain way through ICU, for comparison.
std::string ThroughIcu(const std::string& text) {
  UErrorCode error = U_ZERO_ERROR;
  std::unique_ptr<UConverter, decltype(&ucnv_close)> source(ucnv_open("windows-31j", &error), &ucnv_close);
  std::unique_ptr<UConverter, decltype(&ucnv_close)> target(ucnv_open("UTF-8", &error), &ucnv_close);
  ucnv_setToUCallBack(source.get(), ToReplacement, nullptr, nullptr, nullptr, &error);
  std::string result(text.size() * 3 + 4, '\0');
  char* out = result.data();
  const char* in = text.data();
  ucnv_convertEx(target.get(), source.get(), &out, out + result.size(), &in, in + text.size(),
                 nullptr, nullptr, nullptr, nullptr, true, true, &error);
  EXPECT_TRUE(U_SUCCESS(error));
  result.resize(out - result.data());
  return result;
}

// ICU's table rotates three control codes (0x1A, 0x1C, 0x7F) the IBM way; Windows
// and the decoder keep every ASCII byte as it is.
bool IsRotatedControl(int byte) {
  return byte == 0x1A || byte == 0x1C || byte == 0x7F;
}

} // namespace

TEST(SjisDecoderTest, AsciiStaysAsItIs) {
  std::string ascii;
  for (int byte = 0; byte < 0x80; ++byte)
    ascii += static_cast<char>(byte);
  EXPECT_EQ(DecodeCodePage932(ascii), ascii);
}

TEST(SjisDecoderTest, EveryOneAndTwoByteSequenceMatchesIcu) {
  for (int first = 0; first < 256; ++first) {
    if (IsRotatedControl(first))
      continue;
    const std::string single(1, static_cast<char>(first));
    ASSERT_EQ(DecodeCodePage932(single), ThroughIcu(single)) << first;
    for (int second = 0; second < 256; ++second) {
      if (IsRotatedControl(second))
        continue;
      const std::string pair = {static_cast<char>(first), static_cast<char>(second)};
      ASSERT_EQ(DecodeCodePage932(pair), ThroughIcu(pair)) << first << " " << second;
    }
  }
}

TEST(SjisDecoderTest, RandomBytesMatchIcu) {
  std::mt19937 random(932);
  std::uniform_int_distribution<int> byte(0, 255), length(0, 64);
  for (int i = 0; i < 20000; ++i) {
    std::string text;
    for (int n = length(random); n > 0; --n) {
      const int next = random() % 3 == 0 ? 'a' : byte(random);
      text += static_cast<char>(IsRotatedControl(next) ? 'b' : next);
    }
    ASSERT_EQ(DecodeCodePage932(text), ThroughIcu(text));
  }
}
