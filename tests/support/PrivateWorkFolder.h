#pragma once

#include "support/ScopedEnv.h"
#include "support/TempFolder.h"

#include <string>
#include <vector>

// Points the working copies of this process, and of the programs it starts, at a
// fresh folder for the object's lifetime, so that no other run's are seen.
class PrivateWorkFolder {
public:
  PrivateWorkFolder() : Variable("XDG_CACHE_HOME", Cache.Path()) {}

  // The names of the files in the work folder.
  std::vector<std::string> Files() const;

private:
  TempFolder Cache;
  ScopedEnv Variable;
};
