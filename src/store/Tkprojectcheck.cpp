#include "store/Tkprojectcheck.h"

#include "store/Tdbconnection.h"
#include "store/Tdbquery.h"

#include <algorithm>
#include <stdexcept>
#include <vector>

namespace {

// The storage classes a column may hold, as typeof() names them.
struct ColumnType {
  const char* Column;
  const char* Types;
};

struct TableShape {
  const char* Name;
  std::vector<std::string> Columns;
  // The entries and the staging table are copied into each other with "select *".
  bool Exact;
  // Ids are read as integers and addresses are compared as text: a text id or a
  // BLOB address would load as something else than the file holds.
  std::vector<ColumnType> Types;
};

const char* const Key = "'integer'";
const char* const IdOrNull = "'integer','null'";
const char* const TextOrNull = "'text','null'";
const char* const NumberOrNull = "'real','integer','null'";

const std::vector<ColumnType> EntryTypes{{"id", Key}, {"url", TextOrNull}, {"タイトル", TextOrNull}, {"日付", NumberOrNull}};

const TableShape Tables[] = {
    {"config", {"name", "data"}, false, {}},
    {"entries", {"id", "url", "タイトル", "日付"}, true, EntryTypes},
    {"categories", {"id", "name", "url"}, false, {{"id", IdOrNull}, {"name", TextOrNull}, {"url", TextOrNull}}},
    {"categories_entry", {"category_id", "url"}, false, {{"category_id", IdOrNull}, {"url", TextOrNull}}},
    {"comments", {"url", "comment"}, false, {{"url", TextOrNull}, {"comment", TextOrNull}}},
    {"html", {"name", "data"}, false, {}},
};

const TableShape StagingTable{"tmp_entries", {"id", "url", "タイトル", "日付"}, true, EntryTypes};

std::vector<std::string> ColumnsOf(TDbQuery& query, const char* table) {
  query.SetSql("select name from pragma_table_info(:TABLE)");
  query.SetText("TABLE", table);
  std::vector<std::string> columns;
  for (query.Open(); !query.Eof(); query.Next())
    columns.push_back(query.GetText("name"));
  query.Close();
  return columns;
}

int Count(TDbQuery& query, const std::string& sql) {
  query.SetSql(sql);
  query.Open();
  const int count = query.Eof() ? 0 : query.GetInteger("cnt");
  query.Close();
  return count;
}

// One pass over the table, which ends at the first value of a wrong type.
void CheckTypes(TDbQuery& query, const TableShape& shape) {
  if (shape.Types.empty())
    return;
  std::string wrong;
  for (const ColumnType& type : shape.Types)
    wrong += std::string(wrong.empty() ? "" : " or ") + "typeof(\"" + type.Column + "\") not in (" + type.Types + ")";
  const std::string sql = std::string("select exists (select 1 from \"") + shape.Name + "\" where " + wrong + ") as cnt";
  if (Count(query, sql) > 0)
    throw std::runtime_error(std::string("テーブル ") + shape.Name + " に型の違う値があります");
}

void CheckTable(TDbQuery& query, const TableShape& shape) {
  const std::vector<std::string> columns = ColumnsOf(query, shape.Name);
  if (columns.empty())
    throw std::runtime_error(std::string("テーブル ") + shape.Name + " がありません");
  if (shape.Exact && columns != shape.Columns)
    throw std::runtime_error(std::string("テーブル ") + shape.Name + " の列が違います");
  for (const std::string& column : shape.Columns)
    if (std::find(columns.begin(), columns.end(), column) == columns.end())
      throw std::runtime_error(std::string("テーブル ") + shape.Name + " に列 " + column + " がありません");
  CheckTypes(query, shape);
}

void CheckIntact(TDbQuery& query) {
  query.SetSql("PRAGMA quick_check(1)");
  query.Open();
  const std::string verdict = query.Eof() ? "" : query.GetText("quick_check");
  query.Close();
  if (verdict != "ok")
    throw std::runtime_error(verdict);
}

}

std::string NotAProjectMessage(const std::string& shownName, const std::string& detail) {
  return shownName + " を開けません。プロジェクトファイルではないか、壊れています。\n(" + detail + ")";
}

void CheckProjectFile(const std::string& path, const std::string& shownName) {
  TDbConnection connection;
  connection.SetFileName(path);
  TDbQuery query(connection);
  try {
    CheckIntact(query);
    if (Count(query, "select count(*) as cnt from sqlite_master where type in ('trigger','view')") > 0)
      throw std::runtime_error("トリガーまたはビューがあります");
    for (const TableShape& shape : Tables)
      CheckTable(query, shape);
    if (!ColumnsOf(query, StagingTable.Name).empty())
      CheckTable(query, StagingTable);
  } catch (const std::exception& e) {
    throw std::runtime_error(NotAProjectMessage(shownName, e.what()));
  }
}
