#include "TocData.h"

#include "store/Tkdatetime.h"

#include <sqlite3.h>

#include <memory>
#include <stdexcept>
#include <unordered_map>

namespace {

struct CloseDb {
  void operator()(sqlite3* db) const { sqlite3_close(db); }
};
struct Finalize {
  void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
};
using Db = std::unique_ptr<sqlite3, CloseDb>;
using Statement = std::unique_ptr<sqlite3_stmt, Finalize>;

[[noreturn]] void Fail(sqlite3* db, const std::string& path) {
  throw std::runtime_error("生成データベースを読めません: " + path + " (" + sqlite3_errmsg(db) + ")");
}

// A date the calendar cannot show (a huge number, infinity) counts as no date, so
// that sorting and grouping never meet it.
double CalendarDate(double date) {
  return CivilDateTime(date) ? date : 0;
}

std::string Text(sqlite3_stmt* statement, int column) {
  const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, column));
  return text ? std::string(text, static_cast<size_t>(sqlite3_column_bytes(statement, column)))
              : std::string();
}

// Calls row() for every row of sql; any failure names the database.
template <typename Row>
void ForEachRow(sqlite3* db, const std::string& path, const char* sql, Row row) {
  sqlite3_stmt* raw = nullptr;
  if (sqlite3_prepare_v2(db, sql, -1, &raw, nullptr) != SQLITE_OK)
    Fail(db, path);
  Statement statement(raw);
  int rc = SQLITE_ROW;
  while ((rc = sqlite3_step(statement.get())) == SQLITE_ROW)
    row(statement.get());
  if (rc != SQLITE_DONE)
    Fail(db, path);
}

}

TocData ReadTocData(const std::string& path) {
  sqlite3* raw = nullptr;
  const int rc = sqlite3_open_v2(path.c_str(), &raw, SQLITE_OPEN_READONLY, nullptr);
  Db db(raw);
  if (rc != SQLITE_OK)
    Fail(raw, path);

  TocData data;
  std::unordered_map<int, size_t> positions;
  ForEachRow(db.get(), path, "select id, url, タイトル, 日付, コメント from entries order by id",
             [&](sqlite3_stmt* row) {
               TocEntry entry;
               entry.id = sqlite3_column_int(row, 0);
               entry.url = Text(row, 1);
               entry.title = Text(row, 2);
               entry.date = CalendarDate(sqlite3_column_double(row, 3));
               entry.comment = Text(row, 4);
               positions.emplace(entry.id, data.entries.size());
               data.entries.push_back(std::move(entry));
             });
  ForEachRow(db.get(), path,
             "select entry_id, category_id from entries_categories order by entry_id, category_id",
             [&](sqlite3_stmt* row) {
               const auto found = positions.find(sqlite3_column_int(row, 0));
               if (found != positions.end())
                 data.entries[found->second].categoryIds.push_back(sqlite3_column_int(row, 1));
             });
  ForEachRow(db.get(), path, "select id, name, url from categories order by id",
             [&](sqlite3_stmt* row) {
               data.categories.try_emplace(sqlite3_column_int(row, 0),
                                           TocCategory{Text(row, 1), Text(row, 2)});
             });
  ForEachRow(db.get(), path, "select name, data from html order by rowid", [&](sqlite3_stmt* row) {
    data.settings.try_emplace(Text(row, 0), Text(row, 1));
  });
  return data;
}
