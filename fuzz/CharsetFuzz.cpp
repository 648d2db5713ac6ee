// Charset reading: the declared charset, detection, and conversion to UTF-8.
// The first byte picks a code page and splits a Content-Type value off the page.
#include "FuzzCheck.h"
#include "Utf8Check.h"

#include "text/Tcharconv.h"
#include "text/Tcodepage.h"
#include "text/Tksjisdecoder.h"
#include "text/Tpagecharset.h"

#include <unicode/ucnv.h>
#include <unicode/ucnv_cb.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr int AutoDetect = 50932;

const std::set<int>& TableCodePages() {
  static const std::set<int> pages = [] {
    std::set<int> all;
    for (const auto& [codePage, names] : TCodePage::GetInstance()->GetTable())
      all.insert(codePage);
    return all;
  }();
  return pages;
}

// Every name of the table with its code page, in table order.
const std::vector<std::pair<std::string, int>>& TableNames() {
  static const std::vector<std::pair<std::string, int>> names = [] {
    std::vector<std::pair<std::string, int>> all;
    for (const auto& [codePage, list] : TCodePage::GetInstance()->GetTable())
      for (const std::string& name : list)
        all.emplace_back(name, codePage);
    return all;
  }();
  return names;
}

void ToReplacement(const void*, UConverterToUnicodeArgs* args, const char*, int32_t,
                   UConverterCallbackReason reason, UErrorCode* error) {
  if (reason > UCNV_IRREGULAR)
    return;
  static const UChar replacement = 0xFFFD;
  *error = U_ZERO_ERROR;
  ucnv_cbToUWriteUChars(args, &replacement, 1, 0, error);
}

// Code page 932 the plain way through ICU, which the decoder's table copies.
std::string Windows31jThroughIcu(const std::string& text) {
  UErrorCode error = U_ZERO_ERROR;
  std::unique_ptr<UConverter, decltype(&ucnv_close)> source(ucnv_open("windows-31j", &error), &ucnv_close);
  std::unique_ptr<UConverter, decltype(&ucnv_close)> target(ucnv_open("UTF-8", &error), &ucnv_close);
  ucnv_setToUCallBack(source.get(), ToReplacement, nullptr, nullptr, nullptr, &error);
  std::string result(text.size() * 3 + 4, '\0');
  char* out = result.data();
  const char* in = text.data();
  ucnv_convertEx(target.get(), source.get(), &out, out + result.size(), &in, in + text.size(),
                 nullptr, nullptr, nullptr, nullptr, true, true, &error);
  Require(U_SUCCESS(error), "ICU converts any bytes from windows-31j");
  result.resize(out - result.data());
  return result;
}

// ICU rotates three control codes the IBM way; the decoder keeps ASCII as it is.
std::string WithoutRotatedControls(std::string text) {
  for (char& c : text)
    if (c == '\x1A' || c == '\x1C' || c == '\x7F')
      c = '?';
  return text;
}

bool IsAscii(const std::string& text) {
  for (const char c : text)
    if (static_cast<unsigned char>(c) >= 0x80)
      return false;
  return true;
}

std::string BeforeNul(const std::string& text) { return text.substr(0, text.find('\0')); }

void CheckConversions(std::string_view bytes) {
  Require(IsValidUtf8(bytes) == IsWellFormedUtf8(bytes), "IsValidUtf8 agrees with the table of UTF-8");
  const std::string page(bytes);

  for (const int codePage : TableCodePages()) {
    const std::string converted = ConvertCharset(page, codePage);
    Require(IsWellFormedUtf8(converted), "a conversion gives valid UTF-8");
    Require(converted.find('\0') == std::string::npos, "a conversion ends before its first NUL");
  }
  if (IsWellFormedUtf8(page))
    Require(ConvertCharset(page, 65001) == BeforeNul(page), "valid UTF-8 is read as it is");

  const std::string decoded = DecodeCodePage932(bytes);
  Require(IsWellFormedUtf8(decoded), "code page 932 decodes to valid UTF-8");
  if (IsAscii(page))
    Require(decoded == page, "code page 932 keeps ASCII as it is");
  const std::string plain = WithoutRotatedControls(page);
  Require(DecodeCodePage932(plain) == Windows31jThroughIcu(plain), "the decoder matches ICU");
}

void CheckDetection(std::string_view contentType, std::string_view bytes) {
  const std::string page(bytes);
  const int japanese = DetectJapaneseCodePage(page);
  Require(japanese == 65001 || japanese == 932 || japanese == 51932 || japanese == 50221,
          "the detector names one of the four Japanese encodings");
  const int detected = DetectPageCodePage(page);
  Require(TableCodePages().count(detected) && detected != AutoDetect,
          "detection gives a code page of the table");

  const int declared = DeclaredCodePage(contentType, bytes);
  Require(declared == -1 || (TableCodePages().count(declared) && declared != AutoDetect),
          "a declared charset is one of the table");
  const int chosen = ChoosePageCodePage(AutoDetect, contentType, page);
  Require(chosen == (declared != -1 ? declared : detected), "a declared charset goes before detection");
}

// Whatever follows, a charset named first in the header or in a leading <meta>
// tag decides.
void CheckNamedCharset(const std::string& page, size_t pick) {
  const auto& [name, codePage] = TableNames()[pick % TableNames().size()];
  // Auto-detection named anywhere names nothing.
  if (codePage == AutoDetect)
    return;
  Require(DeclaredCodePage("text/html; charset=" + name, page) == codePage, "the header's charset is read");
  if (!page.starts_with("\xEF\xBB\xBF"))
    Require(DeclaredCodePage("text/html", "<meta charset=\"" + name + "\">" + page) == codePage,
            "a leading <meta charset> is read");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0)
    return 0;
  const size_t pick = data[0];
  // Views on the input itself, which ends where the fuzzer's buffer ends, so that a
  // read past the end is caught.
  const std::string_view rest(reinterpret_cast<const char*>(data) + 1, size - 1);
  const size_t split = rest.find('\n');
  const std::string_view contentType = split == std::string_view::npos ? std::string_view() : rest.substr(0, split);
  const std::string_view page = split == std::string_view::npos ? rest : rest.substr(split + 1);

  CheckConversions(rest);
  CheckDetection(contentType, page);
  CheckNamedCharset(std::string(page), pick);
  return 0;
}
