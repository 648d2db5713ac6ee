#include "store/Tkappfolder.h"

#include <filesystem>

namespace fs = std::filesystem;

std::string GetExeFolder() {
  std::error_code error;
  const fs::path exe = fs::read_symlink("/proc/self/exe", error);
  if (error)
    return "./";
  return exe.parent_path().string() + "/";
}

std::string GetAppDataFolder(const std::string& name) {
  const std::string beside = GetExeFolder() + name + "/";
  std::error_code error;
  if (fs::is_directory(beside, error))
    return beside;
  const std::string installed = GetExeFolder() + "../share/tocwerk/" + name + "/";
  if (fs::is_directory(installed, error))
    return installed;
  return beside;
}

std::string GetProgramLibraryFolder() {
  return fs::path(GetExeFolder() + "../lib/tocwerk/").lexically_normal().string();
}

std::string GetDbFolder() {
  return GetAppDataFolder("db");
}
