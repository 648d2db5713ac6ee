#include "store/Tkmdbutility.h"

#include "store/Tdberror.h"
#include "store/Tkfileutility.h"

#include <sqlite3.h>

#include <cstdio>
#include <memory>

namespace {

struct CloseDb {
  void operator()(sqlite3* db) const { sqlite3_close(db); }
};
struct FinalizeStatement {
  void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
};

[[noreturn]] void Raise(sqlite3* db) {
  throw TDbError(sqlite3_errmsg(db));
}

}

void CompactDatabase(const std::string& source, const std::string& destination) {
  sqlite3* raw = nullptr;
  const int rc = sqlite3_open_v2(source.c_str(), &raw, SQLITE_OPEN_READONLY, nullptr);
  std::unique_ptr<sqlite3, CloseDb> db(raw);
  if (rc != SQLITE_OK)
    throw TDbError((raw ? std::string(sqlite3_errmsg(raw)) : std::string(sqlite3_errstr(rc))) +
                   ": " + source);

  sqlite3_stmt* rawStatement = nullptr;
  if (sqlite3_prepare_v2(db.get(), "VACUUM INTO ?1", -1, &rawStatement, nullptr) != SQLITE_OK)
    Raise(db.get());
  std::unique_ptr<sqlite3_stmt, FinalizeStatement> statement(rawStatement);
  sqlite3_bind_text(statement.get(), 1, destination.c_str(), -1, SQLITE_TRANSIENT);
  if (sqlite3_step(statement.get()) != SQLITE_DONE)
    Raise(db.get());
  statement.reset();
  db.reset();
  FlushFile(destination);
}

void FoldWriteAheadLog(const std::string& path) {
  sqlite3* raw = nullptr;
  const int rc = sqlite3_open_v2(path.c_str(), &raw, SQLITE_OPEN_READWRITE, nullptr);
  std::unique_ptr<sqlite3, CloseDb> db(raw);
  if (rc != SQLITE_OK)
    throw TDbError((raw ? std::string(sqlite3_errmsg(raw)) : std::string(sqlite3_errstr(rc))) + ": " + path);
  // Leaving WAL mode checkpoints the whole log and deletes it.
  if (sqlite3_exec(db.get(), "PRAGMA journal_mode=DELETE", nullptr, nullptr, nullptr) != SQLITE_OK)
    Raise(db.get());
}

void RemoveJournalsOf(const std::string& path) {
  for (const char* suffix : JournalSuffixes)
    std::remove((path + suffix).c_str());
}

void RemoveDatabase(const std::string& path) {
  std::remove(path.c_str());
  RemoveJournalsOf(path);
}
