#include "store/Tdbconnection.h"

#include "store/Tdberror.h"

#include <sqlite3.h>

namespace {

constexpr std::size_t MaxCachedStatements = 64;

}

TDbConnection::~TDbConnection() {
  Close();
}

void TDbConnection::SetFileName(const std::string& fileName) {
  Close();
  FileName = fileName;
}

void TDbConnection::Open() {
  if (Handle)
    return;
  sqlite3* handle = nullptr;
  const int rc = sqlite3_open_v2(FileName.c_str(), &handle, SQLITE_OPEN_READWRITE, nullptr);
  if (rc != SQLITE_OK) {
    const std::string message = handle ? sqlite3_errmsg(handle) : sqlite3_errstr(rc);
    sqlite3_close(handle);
    throw TDbError(message + ": " + FileName);
  }
  Handle = handle;
  sqlite3_extended_result_codes(Handle, 1);
  // A file from elsewhere may carry a schema written to do harm when it is used.
  sqlite3_db_config(Handle, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
  sqlite3_db_config(Handle, SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0, nullptr);
  try {
    // Exclusive before the first read: a file already in WAL mode then keeps its
    // WAL index in memory, without a -shm file.
    if (Mode != Durability::Default)
      ExecuteDirect("PRAGMA locking_mode=EXCLUSIVE");
    // Reading the schema makes a file that is not a database fail now, not later.
    ExecuteDirect("select count(*) from sqlite_master");
    ApplyPragmas();
  } catch (...) {
    Close();
    throw;
  }
}

void TDbConnection::ApplyPragmas() {
  if (Mode == Durability::Default)
    return;
  // In WAL a commit is whole once written, so a kill at any moment leaves the last
  // committed state; syncing would only guard against a power failure. A scratch
  // file needs neither.
  ExecuteDirect("PRAGMA synchronous=OFF");
  ExecuteDirect(Mode == Durability::WorkCopy ? "PRAGMA journal_mode=WAL" : "PRAGMA journal_mode=MEMORY");
  ExecuteDirect("PRAGMA cache_size=-131072");
}

void TDbConnection::Close() {
  if (!Handle)
    return;
  FinalizeAll();
  sqlite3_close(Handle);
  Handle = nullptr;
}

void TDbConnection::FinalizeAll() {
  Cache.clear();
  while (sqlite3_stmt* statement = sqlite3_next_stmt(Handle, nullptr))
    sqlite3_finalize(statement);
  ++Generation;
}

sqlite3* TDbConnection::GetHandle() {
  Open();
  return Handle;
}

void TDbConnection::RaiseError() const {
  throw TDbError(Handle ? sqlite3_errmsg(Handle) : "データベースに接続していません。");
}

void TDbConnection::ExecuteDirect(const std::string& sql) {
  char* error = nullptr;
  if (sqlite3_exec(GetHandle(), sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
    const std::string message = error ? error : sqlite3_errmsg(Handle);
    sqlite3_free(error);
    throw TDbError(message);
  }
}

sqlite3_stmt* TDbConnection::Acquire(const std::string& sql) {
  sqlite3* handle = GetHandle();
  if (auto found = Cache.find(sql); found != Cache.end()) {
    sqlite3_stmt* statement = found->second;
    Cache.erase(found);
    return statement;
  }
  sqlite3_stmt* statement = nullptr;
  if (sqlite3_prepare_v2(handle, sql.c_str(), static_cast<int>(sql.size()), &statement,
                         nullptr) != SQLITE_OK)
    RaiseError();
  if (!statement)
    throw TDbError("SQL文が空です。");
  return statement;
}

void TDbConnection::Release(const std::string& sql, sqlite3_stmt* statement,
                            std::uint64_t generation) {
  if (!statement || generation != Generation)
    return;
  sqlite3_reset(statement);
  sqlite3_clear_bindings(statement);
  if (Cache.size() >= MaxCachedStatements || Cache.count(sql)) {
    sqlite3_finalize(statement);
    return;
  }
  Cache.emplace(sql, statement);
}

TDbTransaction::TDbTransaction(TDbConnection& connection) : Connection(connection) {
  Connection.ExecuteDirect("BEGIN");
}

TDbTransaction::~TDbTransaction() {
  if (Done || !Connection.IsConnected())
    return;
  sqlite3_exec(Connection.GetHandle(), "ROLLBACK", nullptr, nullptr, nullptr);
}

void TDbTransaction::Commit() {
  Connection.ExecuteDirect("COMMIT");
  Done = true;
}
