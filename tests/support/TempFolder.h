#pragma once

#include <string>

// A fresh folder under the temporary folder, removed with everything in it.
class TempFolder {
public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::string& Path() const { return Folder; }
  std::string File(const std::string& name) const { return Folder + name; }

private:
  std::string Folder;
};

// Writes bytes into a file, replacing it.
void WriteFile(const std::string& path, const std::string& bytes);
std::string ReadFile(const std::string& path);
