#pragma once

#include "support/TempFolder.h"

#include <string>
#include <vector>

// Points the working copies of this process, and of the programs it starts, at a
// fresh folder for the object's lifetime, so that no other run's are seen.
class PrivateWorkFolder {
public:
  PrivateWorkFolder();
  ~PrivateWorkFolder();
  PrivateWorkFolder(const PrivateWorkFolder&) = delete;
  PrivateWorkFolder& operator=(const PrivateWorkFolder&) = delete;

  // The names of the files in the work folder.
  std::vector<std::string> Files() const;

private:
  TempFolder Cache;
  bool HadPrevious = false;
  std::string Previous;
};
