#include "support/PrivateWorkFolder.h"

#include <cstdlib>
#include <filesystem>

PrivateWorkFolder::PrivateWorkFolder() {
  if (const char* cache = std::getenv("XDG_CACHE_HOME")) {
    HadPrevious = true;
    Previous = cache;
  }
  setenv("XDG_CACHE_HOME", Cache.Path().c_str(), 1);
}

PrivateWorkFolder::~PrivateWorkFolder() {
  if (HadPrevious)
    setenv("XDG_CACHE_HOME", Previous.c_str(), 1);
  else
    unsetenv("XDG_CACHE_HOME");
}

std::vector<std::string> PrivateWorkFolder::Files() const {
  std::vector<std::string> names;
  std::error_code error;
  for (std::filesystem::directory_iterator it(Cache.File("Tocwerk/work"), error), end; !error && it != end;
       it.increment(error))
    names.push_back(it->path().filename().string());
  return names;
}
