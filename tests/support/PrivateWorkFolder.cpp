#include "support/PrivateWorkFolder.h"

#include <filesystem>

std::vector<std::string> PrivateWorkFolder::Files() const {
  std::vector<std::string> names;
  std::error_code error;
  for (std::filesystem::directory_iterator it(Cache.File("Tocwerk/work"), error), end; !error && it != end;
       it.increment(error))
    names.push_back(it->path().filename().string());
  return names;
}
