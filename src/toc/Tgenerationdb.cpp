#include "toc/Tgenerationdb.h"

#include "store/Tcategory.h"
#include "store/Tdbconnection.h"
#include "store/Tdbquery.h"
#include "store/Tentry.h"
#include "store/Tkfilelock.h"
#include "store/Tkfileutility.h"
#include "store/Tkmdbutility.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <stdexcept>
#include <unordered_map>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

const std::string Prefix = "tocwerk-gen-";

// A new empty file, locked before anything else can see it unlocked for long.
std::string CreateLockedFile(TFileLock& lock) {
  std::string pattern = GetTempFolder() + Prefix + "XXXXXX";
  const int fd = mkostemp(pattern.data(), O_CLOEXEC);
  if (fd < 0)
    throw std::runtime_error("一時ファイルの作成に失敗しました。");
  try {
    lock = TFileLock::Take(fd);
  } catch (...) {
    std::remove(pattern.c_str());
    throw;
  }
  return pattern;
}

std::string CopyBlankFile(const std::string& blankFile, TFileLock& lock) {
  const std::string path = CreateLockedFile(lock);
  if (!CopyFiles(blankFile, path, false)) {
    std::remove(path.c_str());
    throw std::runtime_error("データファイルの作成に失敗しました。");
  }
  // The copy is written below, whatever the permissions of the blank file.
  std::error_code error;
  fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write, fs::perm_options::replace,
                  error);
  return path;
}

std::string NameOf(const std::string& line) {
  return line.substr(0, line.find('='));
}

// The value of the first line of each name, as a name/value list gives it.
std::unordered_map<std::string, std::string> FirstValues(const std::vector<std::string>& lines) {
  std::unordered_map<std::string, std::string> values;
  for (const std::string& line : lines) {
    const auto equals = line.find('=');
    const std::string value = equals == std::string::npos ? std::string() : line.substr(equals + 1);
    values.try_emplace(line.substr(0, equals), value);
  }
  return values;
}

void ExportEntries(TDbQuery& query, const std::vector<TEntry>& entries, const TCancelCheck& canceled) {
  query.SetSql(
      "insert into entries(id,url,タイトル,日付,コメント) values "
      "(:ID,:URL,:TITLE,:DATE,:COMMENT)");
  for (const TEntry& entry : entries) {
    ThrowIfCanceled(canceled);
    query.SetInteger("ID", entry.GetId());
    query.SetText("URL", entry.GetUrl());
    query.SetText("TITLE", entry.GetTitle());
    query.SetDateTime("DATE", entry.GetDate());
    query.SetText("COMMENT", entry.GetComment());
    query.Execute();
  }
  query.Close();
  query.SetSql(
      "insert into entries_categories(entry_id,category_id) values (:ENTRY_ID, :CATEGORY_ID)");
  for (const TEntry& entry : entries) {
    ThrowIfCanceled(canceled);
    query.SetInteger("ENTRY_ID", entry.GetId());
    for (const std::int32_t categoryId : entry.GetCategoryIds()) {
      query.SetInteger("CATEGORY_ID", categoryId);
      query.Execute();
    }
  }
  query.Close();
}

void ExportCategories(TDbQuery& query, const std::map<std::int32_t, TCategory>& categories,
                      const TCancelCheck& canceled) {
  query.SetSql("insert into categories(id,name,url) values (:ID,:NAME,:URL)");
  for (const auto& [id, category] : categories) {
    ThrowIfCanceled(canceled);
    query.SetInteger("ID", id);
    query.SetText("NAME", category.GetName());
    query.SetText("URL", category.GetUrl());
    query.Execute();
  }
  query.Close();
}

void ExportSettings(TDbQuery& query, const std::vector<std::string>& settings, const TCancelCheck& canceled) {
  const auto values = FirstValues(settings);
  query.SetSql("insert into html(name,data) values (:NAME,:DATA)");
  for (const std::string& line : settings) {
    ThrowIfCanceled(canceled);
    const std::string name = NameOf(line);
    query.SetText("NAME", name);
    query.SetText("DATA", values.at(name));
    query.Execute();
  }
  query.Close();
}

void WriteRows(const std::string& path, TProjectDb& db, const std::vector<std::string>& settings,
               const TCancelCheck& canceled) {
  TDbConnection connection;
  connection.SetDurability(TDbConnection::Durability::Scratch);
  connection.SetFileName(path);
  {
    TDbQuery query(connection);
    TDbTransaction transaction(connection);
    ExportEntries(query, LoadEntries(db), canceled);
    ExportCategories(query, LoadCategories(db), canceled);
    ExportSettings(query, settings, canceled);
    transaction.Commit();
  }
  connection.Close();
}

bool IsStale(const fs::path& path) {
  struct stat status {};
  if (lstat(path.c_str(), &status) != 0 || !S_ISREG(status.st_mode) || status.st_uid != getuid())
    return false;
  const auto age = std::chrono::system_clock::now() - std::chrono::system_clock::from_time_t(status.st_mtime);
  if (age < std::chrono::minutes(1))
    return false;
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
  try {
    return fd >= 0 && TFileLock::Take(fd).Held();
  } catch (const std::exception&) {
    return false;
  }
}

}

std::string ExportGenerationDb(TProjectDb& db, const std::string& blankFile,
                               const std::vector<std::string>& settings, TFileLock* lock,
                               const TCancelCheck& canceled) {
  TFileLock held;
  const std::string path = CopyBlankFile(blankFile, held);
  try {
    WriteRows(path, db, settings, canceled);
  } catch (...) {
    // The rows are one transaction: a failed export leaves nothing worth keeping.
    RemoveDatabase(path);
    throw;
  }
  if (lock)
    *lock = std::move(held);
  return path;
}

void RemoveStaleGenerationDbs() {
  std::error_code error;
  for (const fs::directory_entry& entry : fs::directory_iterator(GetTempFolder(), error))
    if (entry.path().filename().string().rfind(Prefix, 0) == 0 && !TidyIfLockFile(entry.path()) &&
        IsStale(entry.path()))
      fs::remove(entry.path(), error);
}
