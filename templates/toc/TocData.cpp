#include "TocData.h"

#include "TocHtml.h"

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
  return text ? PageText({text, static_cast<size_t>(sqlite3_column_bytes(statement, column))})
              : std::string();
}

// What the listing holds beside the text: the entry, its place in the sorted
// list and the index from id to entry, each with room for a vector's growth.
constexpr uint64_t EntryBytes = 2 * sizeof(TocEntry) + 2 * sizeof(void*) + 48;
// A membership: its id in the entry and the entry in the category's section.
constexpr uint64_t MembershipBytes = 2 * sizeof(int) + 2 * sizeof(void*);
// A category: its map node, and the section with its anchor and its copied
// heading and address.
constexpr uint64_t CategoryBytes = sizeof(TocCategory) + 256;

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

TocData ReadTocData(const std::string& path, TocMemory& memory) {
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
               memory.Charge(EntryBytes + entry.url.size() + entry.title.size() + entry.comment.size());
               positions.emplace(entry.id, data.entries.size());
               data.entries.push_back(std::move(entry));
             });
  ForEachRow(db.get(), path, "select id, name, url from categories order by id",
             [&](sqlite3_stmt* row) {
               TocCategory category{Text(row, 1), Text(row, 2)};
               memory.Charge(CategoryBytes + 2 * (category.name.size() + category.url.size()));
               data.categories.try_emplace(sqlite3_column_int(row, 0), std::move(category));
             });
  // Ordered by category, so a repeated membership follows its first.
  ForEachRow(db.get(), path,
             "select entry_id, category_id from entries_categories order by entry_id, category_id",
             [&](sqlite3_stmt* row) {
               const auto found = positions.find(sqlite3_column_int(row, 0));
               const int category = sqlite3_column_int(row, 1);
               if (found == positions.end() || category == 0 || !data.categories.count(category))
                 return;
               std::vector<int>& ids = data.entries[found->second].categoryIds;
               if (ids.empty() || ids.back() != category) {
                 memory.Charge(MembershipBytes);
                 ids.push_back(category);
               }
             });
  ForEachRow(db.get(), path, "select name, data from html order by rowid", [&](sqlite3_stmt* row) {
    std::string name = Text(row, 0);
    std::string value = Text(row, 1);
    memory.Charge(name.size() + value.size() + 64);
    data.settings.try_emplace(std::move(name), std::move(value));
  });
  return data;
}
