#include "toc/Tgenerationdb.h"

#include "store/Tcategory.h"
#include "store/Tdbconnection.h"
#include "store/Tdbquery.h"
#include "store/Tentry.h"
#include "store/Tkfileutility.h"

#include <cstdio>
#include <filesystem>
#include <map>
#include <stdexcept>

namespace fs = std::filesystem;

namespace {

std::string CopyBlankFile(const std::string& blankFile) {
  const std::string path = CreateTempFile("", "");
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

// The value of the first line with this name, as a name/value list gives it.
std::string ValueOf(const std::vector<std::string>& lines, const std::string& name) {
  for (const std::string& line : lines) {
    const auto equals = line.find('=');
    if (line.substr(0, equals) == name)
      return equals == std::string::npos ? std::string() : line.substr(equals + 1);
  }
  return {};
}

void ExportEntries(TDbQuery& query, const std::vector<TEntry>& entries) {
  query.SetSql(
      "insert into entries(id,url,タイトル,日付,コメント) values "
      "(:ID,:URL,:TITLE,:DATE,:COMMENT)");
  for (const TEntry& entry : entries) {
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
    query.SetInteger("ENTRY_ID", entry.GetId());
    for (const std::int32_t categoryId : entry.GetCategoryIds()) {
      query.SetInteger("CATEGORY_ID", categoryId);
      query.Execute();
    }
  }
  query.Close();
}

void ExportCategories(TDbQuery& query, const std::map<std::int32_t, TCategory>& categories) {
  query.SetSql("insert into categories(id,name,url) values (:ID,:NAME,:URL)");
  for (const auto& [id, category] : categories) {
    query.SetInteger("ID", id);
    query.SetText("NAME", category.GetName());
    query.SetText("URL", category.GetUrl());
    query.Execute();
  }
  query.Close();
}

void ExportSettings(TDbQuery& query, const std::vector<std::string>& settings) {
  query.SetSql("insert into html(name,data) values (:NAME,:DATA)");
  for (const std::string& line : settings) {
    const std::string name = NameOf(line);
    query.SetText("NAME", name);
    query.SetText("DATA", ValueOf(settings, name));
    query.Execute();
  }
  query.Close();
}

void WriteRows(const std::string& path, TProjectDb& db, const std::vector<std::string>& settings) {
  TDbConnection connection;
  connection.SetDurability(TDbConnection::Durability::Scratch);
  connection.SetFileName(path);
  {
    TDbQuery query(connection);
    TDbTransaction transaction(connection);
    ExportEntries(query, LoadEntries(db));
    ExportCategories(query, LoadCategories(db));
    ExportSettings(query, settings);
    transaction.Commit();
  }
  connection.Close();
}

}

std::string ExportGenerationDb(TProjectDb& db, const std::string& blankFile,
                               const std::vector<std::string>& settings) {
  const std::string path = CopyBlankFile(blankFile);
  try {
    WriteRows(path, db, settings);
  } catch (...) {
    // The rows are one transaction: a failed export leaves nothing worth keeping.
    std::remove(path.c_str());
    throw;
  }
  return path;
}
