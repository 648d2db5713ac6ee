#include "cli/CliProject.h"

#include "store/Tproject.h"
#include "store/Tprojectdb.h"

#include <ctime>
#include <filesystem>
#include <ostream>
#include <stdexcept>

namespace fs = std::filesystem;

namespace {

std::string LocalTime(std::time_t time) {
  std::tm local {};
  localtime_r(&time, &local);
  char text[32];
  std::strftime(text, sizeof text, "%Y/%m/%d %H:%M", &local);
  return text;
}

}

void OpenProject(const std::string& path, TProjectDb& db, TProject& project) {
  std::error_code error;
  if (!fs::exists(path, error))
    throw std::runtime_error("プロジェクトファイルがありません: " + path);
  project.Load(path, db);
}

void OpenProjectToRead(const std::string& path, TProjectDb& db, TProject& project) {
  db.SetReadOnly(true);
  OpenProject(path, db, project);
}

void MentionOrphanedWork(const std::string& path, std::ostream& err) {
  std::error_code error;
  const std::string project = fs::weakly_canonical(fs::absolute(path, error), error).string();
  try {
    for (const TWorkCopyInfo& orphan : TProjectDb::ListOrphanedWorkCopies())
      if (orphan.ProjectFile == project)
        err << "tocwerk-cli: 前回異常終了したときの作業内容があります: " << orphan.WorkFile << " ("
            << LocalTime(orphan.Modified) << ")。Tocwerk で開くと復元できます。\n";
  } catch (const std::exception&) {
    // Only a hint: a work folder that cannot be read does not stop the command.
  }
}
