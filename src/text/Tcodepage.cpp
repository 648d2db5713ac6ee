#include "text/Tcodepage.h"

#include <memory>

namespace {

std::string UpperAscii(std::string text) {
  for (char& c : text)
    if (c >= 'a' && c <= 'z')
      c = static_cast<char>(c - 'a' + 'A');
  return text;
}

} // namespace

TCodePage* TCodePage::GetInstance() {
  static const std::unique_ptr<TCodePage> instance(new TCodePage);
  return instance.get();
}

TCodePage::TCodePage() {
  const std::map<int, std::vector<std::string>> names = {
      {932, {"MS_Kanji", "csShiftJIS", "csWindows31J", "Shift-JIS", "x-ms-cp932", "x-sjis", "sjis",
             "Windows-31J", "SHIFT_JIS"}},
      {50220, {"csISO2022JP", "JIS", "ISO2022JP", "jis_encoding", "csjisencoding", "ISO-2022-JP"}},
      {50221, {"_iso-2022-jp"}},
      {50932, {"JISAutoDetect"}},
      {51932, {"Extended_UNIX_Code_Packed_Format_for_Japanese", "csEUCPkdFmtJapanese", "X-EUC",
               "X-EUC-JP", "EUCJIS", "EUC_JP", "EUCJP", "X-EUCJP", "EUC-JP"}},
      {65000, {"csUnicode11UTF7", "UNICODE-1-1-UTF-7", "x-unicode-2-0-utf-7", "UTF7", "UTF-7"}},
      {65001, {"UNICODE-1-1-UTF-8", "UNICODE-2-0-UTF-8", "x-unicode-2-0-utf-8", "UTF8", "UTF-8"}},
  };
  for (const auto& [codePage, list] : names)
    for (const std::string& name : list)
      Table[codePage].push_back(UpperAscii(name));
}

int TCodePage::FindCodePage(const std::string& name) const {
  const std::string upper = UpperAscii(name);
  for (const auto& [codePage, list] : Table)
    for (const std::string& candidate : list)
      if (candidate == upper)
        return codePage;
  return -1;
}
