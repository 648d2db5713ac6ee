#include "store/Tkcategorytext.h"

#include <algorithm>

namespace {

std::string Trimmed(const std::string& text) {
  size_t first = 0;
  size_t last = text.size();
  while (first < last && static_cast<unsigned char>(text[first]) <= 32)
    ++first;
  while (last > first && static_cast<unsigned char>(text[last - 1]) <= 32)
    --last;
  return text.substr(first, last - first);
}

std::string Quoted(const std::string& name) {
  const bool needsQuotes = std::any_of(name.begin(), name.end(), [](char c) {
    return static_cast<unsigned char>(c) <= 32 || c == ',' || c == '"';
  });
  if (!needsQuotes)
    return name;
  std::string quoted = "\"";
  for (const char c : name)
    quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
  return quoted + "\"";
}

}

std::string CategoryCommaText(const std::vector<std::int32_t>& ids,
                              const std::map<std::int32_t, TCategory>& categories) {
  std::string text;
  for (const std::int32_t id : ids) {
    const auto found = categories.find(id);
    const std::string name = found == categories.end() ? std::string() : Trimmed(found->second.GetName());
    if (name.empty())
      continue;
    if (!text.empty())
      text += ',';
    text += Quoted(name);
  }
  return text;
}
