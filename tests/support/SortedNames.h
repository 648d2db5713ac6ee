#pragma once

#include <algorithm>
#include <string>
#include <vector>

// The names of registry items, sorted: a folder scan lists them in whatever order
// the file system gives.
template <typename Item>
std::vector<std::string> SortedNames(const std::vector<Item>& items) {
  std::vector<std::string> names;
  for (const Item& item : items)
    names.push_back(item.GetName());
  std::sort(names.begin(), names.end());
  return names;
}
