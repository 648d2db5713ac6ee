#pragma once

#include <string>
#include <string_view>
#include <vector>

// An INI file held in memory: "[section]" lines, "key=value" lines split at the first
// "=", blanks around lines, keys and values dropped, ";" comment lines. Section and
// key names match without regard to ASCII letter case; the first of two equal keys
// wins. Keys keep their file order. A missing section or key reads as the caller's
// default.
class TIniFile {
public:
  TIniFile() = default;

  static TIniFile FromText(std::string_view text);

  // Reads the file (see DecodeTextBytes); a missing file gives an empty one, a file
  // that exists but cannot be read throws std::runtime_error.
  static TIniFile Load(const std::string& path);

  // Writes the whole file as UTF-8 through a temporary file beside it, flushed and
  // renamed over it, so a failed save leaves the old file as it was. Comment lines
  // are not kept.
  void Save(const std::string& path) const;
  std::string ToText() const;

  std::string ReadString(std::string_view section, std::string_view key,
                         const std::string& defaultValue) const;
  // Decimal, optionally signed; anything else (or out of range) gives the default.
  int ReadInteger(std::string_view section, std::string_view key, int defaultValue) const;
  // An integer other than 0 is true.
  bool ReadBool(std::string_view section, std::string_view key, bool defaultValue) const;
  // The key names of a section in file order, repeated ones included.
  std::vector<std::string> ReadKeys(std::string_view section) const;

  void WriteString(std::string_view section, std::string_view key, const std::string& value);
  void WriteInteger(std::string_view section, std::string_view key, int value);
  void WriteBool(std::string_view section, std::string_view key, bool value);

private:
  struct Entry {
    std::string Key;
    std::string Value;
  };
  struct Section {
    std::string Name;
    std::vector<Entry> Entries;
  };

  const Section* FindSection(std::string_view name) const;
  const std::string* FindValue(std::string_view section, std::string_view key) const;

  std::vector<Section> Sections;
};
