#include "cli/CliProject.h"

#include "store/Tproject.h"
#include "store/Tprojectdb.h"

#include <filesystem>
#include <stdexcept>

void OpenProject(const std::string& path, TProjectDb& db, TProject& project) {
  std::error_code error;
  if (!std::filesystem::exists(path, error))
    throw std::runtime_error("プロジェクトファイルがありません: " + path);
  project.Load(path, db);
}
