#include "store/Tprojectdb.h"

#include "store/Tkfileutility.h"
#include "store/Tkmdbutility.h"

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <stdexcept>

#include <sys/stat.h>

namespace fs = std::filesystem;

namespace {

const char* const CopyFailed = "データファイルの作成に失敗しました。";

const char* const ProjectTables[] = {"config", "entries", "categories", "categories_entry",
                                     "comments", "html"};

std::string NotAProject(const std::string& fileName, const std::string& detail) {
  return fileName + " を開けません。プロジェクトファイルではないか、壊れています。\n(" + detail +
         ")";
}

// A copy is only allowed to replace the working copy once it has been seen to be
// an intact database with the project's tables.
void CheckProjectFile(const std::string& copy, const std::string& shownName) {
  TDbConnection connection;
  connection.SetFileName(copy);
  TDbQuery query(connection);
  try {
    query.SetSql("PRAGMA quick_check(1)");
    query.Open();
    const std::string verdict = query.Eof() ? "" : query.GetText("quick_check");
    if (verdict != "ok")
      throw std::runtime_error(verdict);
    query.SetSql("select count(*) as cnt from sqlite_master where type='table' and name=:NAME");
    for (const char* table : ProjectTables) {
      query.SetText("NAME", table);
      query.Open();
      if (query.GetInteger("cnt") == 0)
        throw std::runtime_error(std::string("テーブル ") + table + " がありません");
    }
  } catch (const std::exception& e) {
    throw std::runtime_error(NotAProject(shownName, e.what()));
  }
}

// Keeps the permissions of the file being replaced; a new file gets the usual ones.
void SetSavedFileMode(const std::string& temp, const std::string& destination) {
  struct stat existing {};
  mode_t mode = 0;
  if (stat(destination.c_str(), &existing) == 0) {
    mode = existing.st_mode & 07777;
  } else {
    const mode_t mask = umask(0);
    umask(mask);
    mode = 0666 & ~mask;
  }
  chmod(temp.c_str(), mode);
}

std::string CannotSave(const std::string& fileName, const std::string& reason) {
  return fileName + " に保存できません。" + reason;
}

}

TProjectDb::TProjectDb() : Query(Connection), WorkFileName(CreateTempFile("", "")) {
  Connection.SetScratchMode(true);
  Connection.SetFileName(WorkFileName);
}

TProjectDb::~TProjectDb() {
  Close();
  std::remove(WorkFileName.c_str());
}

void TProjectDb::Open(const std::string& fileName) {
  if (fileName != WorkFileName)
    ReplaceWorkingCopy(fileName);
  Close();
  Connect(WorkFileName);
  FileName = fileName;
  if (GetVersion() == 1)
    UpgradeToVersion2();
}

void TProjectDb::New(const std::string& blankFileName) {
  std::error_code error;
  if (!fs::is_regular_file(blankFileName, error))
    throw std::runtime_error(CopyFailed);
  ReplaceWorkingCopy(blankFileName);
  Open(WorkFileName);
}

void TProjectDb::ReplaceWorkingCopy(const std::string& source) {
  const std::string temp = CreateTempFile(FolderOf(WorkFileName), "");
  try {
    if (!CopyFiles(source, temp, false))
      throw std::runtime_error(CopyFailed);
    // The working copy is always ours to write, whatever the source's permissions.
    fs::permissions(temp, fs::perms::owner_read | fs::perms::owner_write, fs::perm_options::replace);
    CheckProjectFile(temp, source);
    Close();
    if (std::rename(temp.c_str(), WorkFileName.c_str()) != 0)
      throw std::runtime_error(CopyFailed);
  } catch (...) {
    std::remove(temp.c_str());
    throw;
  }
}

void TProjectDb::SaveTo(const std::string& fileName) {
  Close();
  const std::string name = fs::path(fileName).filename().string();
  std::string temp;
  try {
    temp = CreateTempFile(FolderOf(fileName), "." + name + ".");
  } catch (const std::exception&) {
    throw std::runtime_error(
        CannotSave(fileName, "保存先のフォルダーが存在しないか、書き込みが許可されていません。"));
  }
  try {
    CompactDatabase(WorkFileName, temp);
    SetSavedFileMode(temp, fileName);
    if (std::rename(temp.c_str(), fileName.c_str()) != 0)
      throw std::runtime_error(CannotSave(fileName, std::strerror(errno)));
  } catch (...) {
    std::remove(temp.c_str());
    throw;
  }
  FlushFolderOf(fileName);
  Connect(WorkFileName);
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
  Query.SetSql(
      "create table tmp_entries (  id INTEGER primary key,  url TEXT COLLATE NOCASE,  タイトル "
      "TEXT,  日付 REAL)");
  Query.Execute();
  Query.Close();
  Query.SetSql("update config set data='2' where name=:NAME");
  Query.SetText("NAME", "version");
  Query.Execute();
  Query.Close();
}
