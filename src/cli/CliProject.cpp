#include "cli/CliProject.h"

#include "store/Tproject.h"
#include "store/Tprojectdb.h"

#include <ctime>
#include <filesystem>
#include <ostream>
#include <stdexcept>

namespace fs = std::filesystem;

namespace {

std::string LocalTime(std::time_t time, const char* format = "%Y/%m/%d %H:%M") {
  std::tm local {};
  localtime_r(&time, &local);
  char text[32];
  std::strftime(text, sizeof text, format, &local);
  return text;
}

// NAME.recovered-YYYYMMDD-HHMMSS.proj beside path, then -2, -3… for one that exists.
std::string RecoveredName(const std::string& path, int attempt) {
  std::string name = path.ends_with(".proj") ? path.substr(0, path.size() - 5) : path;
  name += ".recovered-" + LocalTime(std::time(nullptr), "%Y%m%d-%H%M%S");
  if (attempt > 1)
    name += "-" + std::to_string(attempt);
  return name + ".proj";
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

bool SaveOrSaveBeside(const std::string& path, TProjectDb& db, TProject& project, std::ostream& err) {
  try {
    project.Save(path, db);
    return true;
  } catch (const TProjectChangedError&) {
    // The command line cannot ask for another name: one is chosen beside it.
  }
  for (int attempt = 1;; ++attempt) {
    const std::string beside = RecoveredName(path, attempt);
    std::error_code error;
    if (fs::exists(beside, error))
      continue;
    project.SaveAsNew(beside, db);
    err << "tocwerk-cli: " << path << " は読み込んだ後に別のプログラムが書き換えていたため上書きせず、"
        << beside << " に保存しました。\n";
    return false;
  }
}
