#include "store/Tprojectdb.h"

#include "store/Tkfileutility.h"
#include "store/Tkmdbutility.h"
#include "store/Tkprojectcheck.h"
#include "store/Tksavefile.h"

#include <charconv>
#include <cstdio>
#include <filesystem>
#include <stdexcept>

#include <sys/stat.h>

namespace fs = std::filesystem;

namespace {

const char* const CopyFailed = "データファイルの作成に失敗しました。";

const char* const StagingTableSql =
    "create table if not exists tmp_entries (  id INTEGER primary key,  url TEXT COLLATE NOCASE,  "
    "タイトル TEXT,  日付 REAL)";

// One name for one file however it was reached: links and "." resolved.
std::string CanonicalName(const std::string& path) {
  std::error_code error;
  const fs::path canonical = fs::weakly_canonical(fs::absolute(path, error), error);
  return error ? path : canonical.string();
}

}

TProjectDb::TProjectDb() : Query(Connection), WorkFileName(Work.GetPath()) {
  Connection.SetDurability(TDbConnection::Durability::WorkCopy);
  Connection.SetFileName(WorkFileName);
}

TProjectDb::~TProjectDb() {
  Close();
}

void TProjectDb::Open(const std::string& fileName, const SettingsReader& readSettings) {
  if (fileName == WorkFileName) {
    Close();
    Connect(WorkFileName);
    FileName = fileName;
    EnsureSchema();
    if (readSettings)
      readSettings(*this);
    return;
  }
  struct stat current {};
  const bool exists = stat(fileName.c_str(), &current) == 0;
  const bool alreadyHeld = exists && Lock.Holds(current);
  TProjectLock lock;
  if (!ReadOnly && !alreadyHeld)
    lock = TProjectLock::Acquire(fileName, fileName);
  Adopt(fileName, fileName, readSettings);
  FileName = fileName;
  if (ReadOnly)
    return;
  if (!alreadyHeld)
    Lock = std::move(lock);
  if (Lock.Held())
    RemoveStaleSaveTemps(CanonicalName(fileName));
  RememberProject(fileName, Lock.Held() ? Lock.Identity()
                                        : exists ? TFileIdentity::Of(current) : TFileIdentity{});
}

void TProjectDb::New(const std::string& blankFileName) {
  std::error_code error;
  if (!fs::is_regular_file(blankFileName, error))
    throw std::runtime_error(CopyFailed);
  Adopt(blankFileName, blankFileName, {});
  FileName = WorkFileName;
  Lock.Release();
  RememberProject("", {});
}

void TProjectDb::Recover(const TWorkCopyInfo& orphan, const SettingsReader& readSettings) {
  TWorkCopyClaim claim(orphan);
  try {
    FoldWriteAheadLog(orphan.WorkFile);
  } catch (const std::exception& e) {
    throw std::runtime_error(NotAProjectMessage(orphan.WorkFile, e.what()));
  }
  Adopt(orphan.WorkFile, orphan.WorkFile, readSettings);
  claim.Remove();
  FileName = orphan.ProjectFile.empty() ? WorkFileName : orphan.ProjectFile;
  Lock.Release();
  if (!orphan.ProjectFile.empty()) {
    try {
      Lock = TProjectLock::Acquire(orphan.ProjectFile, orphan.ProjectFile);
    } catch (const std::exception&) {
      // Another Tocwerk has it open; saving will say so.
    }
  }
  RememberProject(orphan.ProjectFile, orphan.ProjectIdentity);
}

void TProjectDb::RememberProject(const std::string& fileName, const TFileIdentity& identity) {
  LoadedPath = fileName.empty() ? std::string() : CanonicalName(fileName);
  Loaded = identity;
  Work.SetProject(LoadedPath, identity);
}

void TProjectDb::Adopt(const std::string& source, const std::string& shownName,
                       const SettingsReader& readSettings) {
  const std::string temp = OpeningCopyOf(WorkFileName);
  RemoveDatabase(temp);
  if (!CopyFiles(source, temp, false)) {
    std::remove(temp.c_str());
    throw std::runtime_error(CopyFailed);
  }
  try {
    // The working copy is always ours to write, whatever the source's permissions.
    fs::permissions(temp, fs::perms::owner_read | fs::perms::owner_write, fs::perm_options::replace);
    CheckProjectFile(temp, shownName);
    Close();
    Connection.SetFileName(temp);
    try {
      EnsureSchema();
      if (readSettings)
        readSettings(*this);
    } catch (const std::exception& e) {
      throw std::runtime_error(NotAProjectMessage(shownName, e.what()));
    }
    Close();
    // A log left beside the old working copy would be replayed into the new one.
    RemoveJournalsOf(WorkFileName);
    if (std::rename(temp.c_str(), WorkFileName.c_str()) != 0)
      throw std::runtime_error(CopyFailed);
  } catch (...) {
    Close();
    Connection.SetFileName(WorkFileName);
    RemoveDatabase(temp);
    throw;
  }
  Connect(WorkFileName);
}

void TProjectDb::EnsureSchema() {
  if (GetVersion() == 1) {
    UpgradeToVersion2();
    return;
  }
  // Every crawl stages what it reads, whatever version the file says it is.
  Query.Close();
  Query.SetSql(StagingTableSql);
  Query.Execute();
  Query.Close();
}

void TProjectDb::SaveTo(const std::string& fileName, SaveMode mode) {
  if (ReadOnly)
    throw std::runtime_error(CannotSaveMessage(fileName, "読み取り専用で開いています。"));
  const TSaveTarget target = ResolveSaveTarget(fileName);
  if (mode == SaveMode::NewFileOnly && target.Exists)
    throw std::runtime_error(CannotSaveMessage(fileName, "同じ名前のファイルが既に存在します。"));
  TProjectLock replaced;
  CheckSaveTarget(fileName, target.Path, target.Exists, replaced);
  RemoveStaleSaveTemps(target.Path);
  Close();
  // Locked from the start, so that nobody takes it for a dead save's leftover; the
  // lock goes with it when it takes the project's name.
  TProjectLock saved;
  const std::string temp = CreateSaveTemp(target, &saved);
  try {
    CompactDatabase(WorkFileName, temp);
  } catch (const std::exception& e) {
    RemoveDatabase(temp);
    throw std::runtime_error(
        CannotSaveMessage(fileName, std::string("プロジェクトを書き出せませんでした。(") + e.what() + ")"));
  }
  CommitSave(temp, target);
  saved.Follow();
  Lock = std::move(saved);
  RememberProject(fileName, Lock.Identity());
  Connect(WorkFileName);
}

void TProjectDb::CheckSaveTarget(const std::string& fileName, const std::string& path, bool exists,
                                 TProjectLock& targetLock) {
  struct stat current {};
  if (!exists || stat(path.c_str(), &current) != 0)
    return;
  if (!Lock.Holds(current))
    targetLock = TProjectLock::Acquire(path, fileName);
  if (!LoadedPath.empty() && CanonicalName(path) == LoadedPath && !Loaded.Unchanged(current))
    throw TProjectChangedError(CannotSaveMessage(
        fileName, "読み込んだ後に別のプログラムがこのファイルを書き換えています。上書きするとその内容が失われるため、"
                  "別の名前で保存してください。"));
}

void TProjectDb::Connect(const std::string& fileName) {
  Connection.SetFileName(fileName);
  Connection.Open();
  WorkFileName = fileName;
}

void TProjectDb::Close() {
  Query.Close();
  Connection.Close();
}

void TProjectDb::SetConfig(const std::string& key, const std::string& value) {
  Query.Close();
  Query.SetSql("delete from config where name = :KEY");
  Query.SetText("KEY", key);
  Query.Execute();
  Query.SetSql("insert into config(name,data) values(:KEY, :VALUE)");
  Query.SetText("KEY", key);
  Query.SetText("VALUE", value);
  Query.Execute();
  Query.Close();
}

int TProjectDb::GetVersion() {
  Query.Close();
  Query.SetSql("select data from config where name=:NAME");
  Query.SetText("NAME", "version");
  Query.Open();
  Query.First();
  const std::string text = Query.Eof() ? std::string() : Query.GetText("data");
  Query.Close();
  int version = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), version);
  if (text.empty() || error != std::errc() || end != text.data() + text.size())
    return 0;
  return version;
}

void TProjectDb::UpgradeToVersion2() {
  Query.Close();
  Query.SetSql(StagingTableSql);
  Query.Execute();
  Query.Close();
  Query.SetSql("update config set data='2' where name=:NAME");
  Query.SetText("NAME", "version");
  Query.Execute();
  Query.Close();
}
