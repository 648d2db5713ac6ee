#include "text/Tkinifile.h"

#include "store/Tkfileutility.h"
#include "text/Tktextfile.h"

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace {

std::string_view Trim(std::string_view text) {
  while (!text.empty() && static_cast<unsigned char>(text.front()) <= ' ')
    text.remove_prefix(1);
  while (!text.empty() && static_cast<unsigned char>(text.back()) <= ' ')
    text.remove_suffix(1);
  return text;
}

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size())
    return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'a' && x <= 'z')
      x = static_cast<char>(x - 'a' + 'A');
    if (y >= 'a' && y <= 'z')
      y = static_cast<char>(y - 'a' + 'A');
    if (x != y)
      return false;
  }
  return true;
}

} // namespace

TIniFile TIniFile::FromText(std::string_view text) {
  TIniFile ini;
  Section* current = nullptr;
  while (!text.empty()) {
    const size_t end = text.find('\n');
    std::string_view line = Trim(text.substr(0, end));
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    if (line.empty() || line.front() == ';')
      continue;
    if (line.front() == '[' && line.back() == ']') {
      const std::string_view name = Trim(line.substr(1, line.size() - 2));
      current = const_cast<Section*>(ini.FindSection(name));
      if (current == nullptr)
        current = &ini.Sections.emplace_back(Section{std::string(name), {}});
      continue;
    }
    const size_t equals = line.find('=');
    if (current == nullptr || equals == std::string_view::npos)
      continue;
    current->Entries.push_back(
        {std::string(Trim(line.substr(0, equals))), std::string(Trim(line.substr(equals + 1)))});
  }
  return ini;
}

TIniFile TIniFile::Load(const std::string& path) {
  std::error_code error;
  if (!std::filesystem::exists(path, error))
    return TIniFile();
  return FromText(ReadTextFile(path));
}

std::string TIniFile::ToText() const {
  std::string text;
  for (const Section& section : Sections) {
    text += "[" + section.Name + "]\n";
    for (const Entry& entry : section.Entries)
      text += entry.Key + "=" + entry.Value + "\n";
    text += "\n";
  }
  return text;
}

void TIniFile::Save(const std::string& path) const {
  const std::string temp = CreateTempFile(FolderOf(path), ".tocwerk-ini-");
  try {
    {
      std::ofstream file(temp, std::ios::binary | std::ios::trunc);
      file << ToText();
      file.close();
      if (!file)
        throw std::runtime_error("ファイルに書き込めません: " + path);
    }
    FlushFile(temp);
    std::filesystem::rename(temp, path);
    FlushFolderOf(path);
  } catch (...) {
    std::error_code ignored;
    std::filesystem::remove(temp, ignored);
    throw;
  }
}

const TIniFile::Section* TIniFile::FindSection(std::string_view name) const {
  for (const Section& section : Sections)
    if (SameName(section.Name, name))
      return &section;
  return nullptr;
}

const std::string* TIniFile::FindValue(std::string_view section, std::string_view key) const {
  const Section* found = FindSection(section);
  if (found == nullptr)
    return nullptr;
  for (const Entry& entry : found->Entries)
    if (SameName(entry.Key, key))
      return &entry.Value;
  return nullptr;
}

std::string TIniFile::ReadString(std::string_view section, std::string_view key,
                                 const std::string& defaultValue) const {
  const std::string* value = FindValue(section, key);
  return value != nullptr ? *value : defaultValue;
}

int TIniFile::ReadInteger(std::string_view section, std::string_view key,
                          int defaultValue) const {
  const std::string* value = FindValue(section, key);
  if (value == nullptr)
    return defaultValue;
  std::string_view digits = *value;
  if (!digits.empty() && digits.front() == '+')
    digits.remove_prefix(1);
  int result = 0;
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), result);
  if (error != std::errc() || end != digits.data() + digits.size() || digits.empty())
    return defaultValue;
  return result;
}

bool TIniFile::ReadBool(std::string_view section, std::string_view key, bool defaultValue) const {
  return ReadInteger(section, key, defaultValue ? 1 : 0) != 0;
}

std::vector<std::string> TIniFile::ReadKeys(std::string_view section) const {
  std::vector<std::string> keys;
  if (const Section* found = FindSection(section))
    for (const Entry& entry : found->Entries)
      keys.push_back(entry.Key);
  return keys;
}

void TIniFile::WriteString(std::string_view section, std::string_view key,
                           const std::string& value) {
  auto* found = const_cast<Section*>(FindSection(section));
  if (found == nullptr)
    found = &Sections.emplace_back(Section{std::string(section), {}});
  for (Entry& entry : found->Entries)
    if (SameName(entry.Key, key)) {
      entry.Value = value;
      return;
    }
  found->Entries.push_back({std::string(key), value});
}

void TIniFile::WriteInteger(std::string_view section, std::string_view key, int value) {
  WriteString(section, key, std::to_string(value));
}

void TIniFile::WriteBool(std::string_view section, std::string_view key, bool value) {
  WriteString(section, key, value ? "1" : "0");
}
