// Auto-detection scores the four Japanese encodings itself; these tests hold its
// choice to the one ICU's charset detector makes over all its recognizers.
#include "text/Tcharconv.h"

#include <gtest/gtest.h>
#include <unicode/ucsdet.h>

#include <cstring>
#include <map>
#include <memory>
#include <random>
#include <string>

namespace {

int IcuChoice(const std::string& text) {
  UErrorCode error = U_ZERO_ERROR;
  std::unique_ptr<UCharsetDetector, void (*)(UCharsetDetector*)> detector(ucsdet_open(&error),
                                                                          ucsdet_close);
  ucsdet_setText(detector.get(), text.data(), static_cast<int32_t>(text.size()), &error);
  int32_t count = 0;
  const UCharsetMatch** matches = ucsdet_detectAll(detector.get(), &count, &error);
  for (int32_t i = 0; U_SUCCESS(error) && i < count; ++i) {
    const char* name = ucsdet_getName(matches[i], &error);
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

// Text made of runs that each suit one encoding or none, so that every score rule
// and every way of winning comes up.
class TextMaker {
public:
  explicit TextMaker(unsigned seed) : Random(seed) {}

  std::string Make() {
    std::string text;
    if (Pick(20) == 0)
      text += "\xEF\xBB\xBF";
    const int runs = Pick(4) == 0 ? Pick(3) : 1 + Pick(12);
    const int flavour = Pick(6);
    for (int run = 0; run < runs; ++run) {
      const int kind = Pick(3) == 0 ? Pick(8) : flavour;
      const int length = Pick(5) == 0 ? Pick(4) : Pick(5) == 0 ? 300 + Pick(3000) : Pick(60);
      for (int i = 0; i < length; ++i)
        AddChar(text, kind);
    }
    return text;
  }

private:
  int Pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(Random); }
  char Byte(int low, int high) { return static_cast<char>(low + Pick(high - low + 1)); }

  void AddChar(std::string& text, int kind) {
    static const unsigned short common[] = {0x82a0, 0x82b5, 0x8393, 0x93fa, 0xa4a2, 0xa4f3,
                                            0xa5f3, 0xcdd1, 0xa1a1, 0x8140};
    static const char* const escapes[] = {"\x1B$B", "\x1B(B", "\x1B(J", "\x1B$@", "\x1B$(D",
                                          "\x1B.F", "\x1B$(Q", "\x1B(", "\x1B"};
    switch (kind) {
    case 0:  // ASCII
      text += Byte(0x20, 0x7E);
      break;
    case 1:  // Shift_JIS
      if (Pick(3) == 0) {
        const unsigned short c = common[Pick(10)];
        text += static_cast<char>(c >> 8);
        text += static_cast<char>(c & 0xFF);
      } else if (Pick(4) == 0) {
        text += Byte(0xA1, 0xDF);
      } else {
        text += Pick(2) ? Byte(0x81, 0x9F) : Byte(0xE0, 0xFC);
        text += Byte(0x40, 0xFC);
      }
      break;
    case 2:  // EUC-JP, with the two- and three-byte forms
      if (Pick(8) == 0) {
        text += '\x8E';
        text += Byte(0xA1, 0xDF);
      } else if (Pick(8) == 0) {
        text += '\x8F';
        text += Byte(0xA1, 0xFE);
        text += Pick(4) ? Byte(0xA1, 0xFE) : Byte(0x00, 0xFF);
      } else {
        text += Byte(0xA4, 0xA5);
        text += Byte(0xA1, 0xF3);
      }
      break;
    case 3:  // UTF-8 of any length
      text += UTF8(Pick(4) == 0 ? 0x80 + Pick(0x780) : Pick(8) == 0 ? 0x10000 + Pick(0x1000) : 0x3040 + Pick(0x6000));
      break;
    case 4:  // ISO-2022-JP: escapes, shifts, 7-bit text
      text += Pick(4) == 0 ? std::string(escapes[Pick(9)]) : std::string(1, Byte(0x21, 0x7E));
      if (Pick(30) == 0)
        text += Pick(2) ? '\x0E' : '\x0F';
      break;
    case 5:  // any byte at all
      text += static_cast<char>(Pick(256));
      break;
    case 6:  // broken UTF-8: a lead byte whose sequence is cut short
      text += Byte(0xC2, 0xF4);
      text += Byte(0x20, 0x7E);
      break;
    default:  // high bytes only
      text += Byte(0x80, 0xFF);
    }
  }

  static std::string UTF8(int code) {
    std::string bytes;
    if (code < 0x800) {
      bytes += static_cast<char>(0xC0 | (code >> 6));
    } else if (code < 0x10000) {
      bytes += static_cast<char>(0xE0 | (code >> 12));
      bytes += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    } else {
      bytes += static_cast<char>(0xF0 | (code >> 18));
      bytes += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
      bytes += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    }
    bytes += static_cast<char>(0x80 | (code & 0x3F));
    return bytes;
  }

  std::mt19937 Random;
};

} // namespace

TEST(CharsetDetectTest, ChoosesAsIcusDetectorOnMixedText) {
  TextMaker maker(20240501);
  std::map<int, int> choices;
  for (int i = 0; i < 3000; ++i) {
    const std::string text = maker.Make();
    const int expected = IcuChoice(text);
    ASSERT_EQ(DetectJapaneseCodePage(text), expected) << "case " << i << ", " << text.size() << " bytes";
    ++choices[expected];
  }
  for (int codePage : {932, 51932, 50221, 65001})
    EXPECT_GE(choices[codePage], 50) << "too few cases choose " << codePage;
}

TEST(CharsetDetectTest, ChoosesAsIcusDetectorAtTheEdges) {
  // Escape sequences count only within the detector's first 8,192 bytes.
  const std::string inside = std::string(8189, 'a') + "\x1B$B" + std::string(100, 'b');
  const std::string across = std::string(8190, 'a') + "\x1B$B" + std::string(100, 'b');
  const std::string cases[] = {"", "a", "\xEF\xBB\xBF", "\xEF\xBB\xBF\xFF", "\x82", "\x8F\xA1",
                               "\x8F", "\xE3\x81", "\x1B$B", inside, across,
                               std::string(9000, 'x') + "\x1B$B\x1B(B\x1B$B\x1B(B\x1B$B"};
  for (const std::string& text : cases)
    EXPECT_EQ(DetectJapaneseCodePage(text), IcuChoice(text)) << text.size() << " bytes";
  EXPECT_EQ(DetectJapaneseCodePage(inside), 50221);
  EXPECT_EQ(DetectJapaneseCodePage(across), 65001);
}
