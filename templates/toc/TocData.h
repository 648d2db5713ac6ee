#pragma once

#include "TocLimits.h"

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
  // The categories that exist, each once in id order; the reserved one left out.
  std::vector<int> categoryIds;
};

struct TocCategory {
  std::string name;
  std::string url;
};

// Everything a generation database holds: entries in id order, categories by id
// and the settings (the first value of a name wins). Its text is valid UTF-8 with
// no control character but tab, line feed and carriage return.
struct TocData {
  std::vector<TocEntry> entries;
  std::map<int, TocCategory> categories;
  std::map<std::string, std::string> settings;
};

// Reads a generation database, charging memory with what the listing will hold;
// throws std::runtime_error with a clear message.
TocData ReadTocData(const std::string& path, TocMemory& memory);
