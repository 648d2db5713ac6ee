#pragma once

#include <map>
#include <string>
#include <vector>

struct TocEntry {
  int id = 0;
  std::string url;
  std::string title;
  // A day number; below 1 (0 when the database's date is outside the calendar)
  // the entry is undated.
  double date = 0;
  std::string comment;
  std::vector<int> categoryIds;
};

struct TocCategory {
  std::string name;
  std::string url;
};

// Everything a generation database holds: entries in id order, categories by id
// and the settings (the first value of a name wins).
struct TocData {
  std::vector<TocEntry> entries;
  std::map<int, TocCategory> categories;
  std::map<std::string, std::string> settings;
};

// Reads a generation database; throws std::runtime_error with a clear message.
TocData ReadTocData(const std::string& path);
