// The INI reader on any text: what it reads is written back and read again the
// same, and what is written over it reads back.
#include "FuzzCheck.h"

#include "text/Tkinifile.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace {

bool IsTrimmed(std::string_view text) {
  return text.empty() || (static_cast<unsigned char>(text.front()) > ' ' &&
                          static_cast<unsigned char>(text.back()) > ' ');
}

std::string UpperAscii(std::string text) {
  for (char& c : text)
    if (c >= 'a' && c <= 'z')
      c = static_cast<char>(c - 'a' + 'A');
  return text;
}

// The section names as "[name]" lines give them, first occurrence only.
std::vector<std::string> SectionNames(const TIniFile& ini) {
  std::vector<std::string> names;
  const std::string text = ini.ToText();
  size_t start = 0;
  while (start < text.size()) {
    const size_t end = text.find('\n', start);
    const std::string line = text.substr(start, end - start);
    if (line.size() >= 2 && line.front() == '[' && line.back() == ']')
      names.push_back(line.substr(1, line.size() - 2));
    start = end + 1;
  }
  return names;
}

void CheckSameContent(const TIniFile& a, const TIniFile& b) {
  for (const std::string& section : SectionNames(a)) {
    const std::vector<std::string> keys = a.ReadKeys(section);
    Require(keys == b.ReadKeys(section), "a section keeps its keys when written and read again");
    for (const std::string& key : keys)
      Require(a.ReadString(section, key, "\n") == b.ReadString(section, key, "\n"),
              "a key keeps its value when written and read again");
  }
}

void CheckReadValues(const TIniFile& ini) {
  for (const std::string& section : SectionNames(ini)) {
    Require(IsTrimmed(section), "a section name has no blanks around it");
    for (const std::string& key : ini.ReadKeys(section)) {
      Require(IsTrimmed(key) && key.find('=') == std::string::npos && key.find('\n') == std::string::npos,
              "a key is trimmed and holds no '=' or line break");
      Require(key.empty() || key.front() != ';', "a comment line gives no key");
      const std::string value = ini.ReadString(section, key, "\n");
      Require(value != "\n", "every listed key reads");
      Require(IsTrimmed(value) && value.find('\n') == std::string::npos, "a value is one trimmed line");
      Require(ini.ReadString(section, UpperAscii(key), "\n") == value, "keys match without regard to letter case");
    }
  }
}

// A value reads as an integer only when it spells one, with an optional sign.
void CheckIntegerSpelling(const TIniFile& ini, const std::string& section, const std::string& key) {
  constexpr int Default = 12345;
  const int number = ini.ReadInteger(section, key, Default);
  if (number == Default)
    return;
  std::string digits = ini.ReadString(section, key, "");
  if (digits.starts_with('+'))
    digits.erase(0, 1);
  Require(!digits.empty() && digits.find_first_not_of("-0123456789") == std::string::npos &&
              std::strtoll(digits.c_str(), nullptr, 10) == number,
          "an integer is read only from a value that spells it");
}

void CheckIntegers(TIniFile ini) {
  for (const int number : {0, -1, 7, 2147483647, -2147483647 - 1}) {
    ini.WriteInteger("Fuzz", "Number", number);
    Require(ini.ReadInteger("fuzz", "number", 5) == number, "a written integer reads back");
    Require(TIniFile::FromText(ini.ToText()).ReadInteger("FUZZ", "NUMBER", 5) == number,
            "a saved integer reads back");
  }
  ini.WriteBool("Fuzz", "Flag", false);
  Require(!TIniFile::FromText(ini.ToText()).ReadBool("Fuzz", "Flag", true), "a saved false reads back");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const TIniFile ini = TIniFile::FromText(text);
  CheckReadValues(ini);

  const std::string written = ini.ToText();
  const TIniFile again = TIniFile::FromText(written);
  CheckSameContent(ini, again);
  CheckSameContent(again, ini);
  Require(again.ToText() == written, "writing what was read gives the same text");

  for (const std::string& section : SectionNames(ini))
    for (const std::string& key : ini.ReadKeys(section))
      CheckIntegerSpelling(ini, section, key);
  CheckIntegers(ini);
  return 0;
}
