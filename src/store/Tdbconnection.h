#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>

struct sqlite3;
struct sqlite3_stmt;

// One connection to a SQLite database file. The file name is set once and kept,
// so a closed connection can be reopened on demand by the queries that use it.
// Prepared statements are cached per SQL text while the connection is open.
class TDbConnection {
public:
  TDbConnection() = default;
  ~TDbConnection();
  TDbConnection(const TDbConnection&) = delete;
  TDbConnection& operator=(const TDbConnection&) = delete;

  // Opening never creates a missing file; a file that is not a database fails here.
  void SetFileName(const std::string& fileName);
  const std::string& GetFileName() const { return FileName; }
  void Open();
  void Close();
  bool IsConnected() const { return Handle != nullptr; }

  // Default: SQLite's own settings. Scratch: a file that is thrown away after
  // use, never worth a journal. WorkCopy: a file of this program's alone whose
  // committed state must survive the death of the process (recovery reads it),
  // though not a power failure, which saving to the project file covers.
  enum class Durability { Default, Scratch, WorkCopy };
  void SetDurability(Durability durability) { Mode = durability; }

  // Runs SQL without parameters or results, reopening the connection if needed.
  void ExecuteDirect(const std::string& sql);

  // Statements handed out are owned by the caller until given back with Release.
  // Closing the connection finalizes every statement and bumps the generation, so
  // a holder can tell that its statement is gone.
  sqlite3_stmt* Acquire(const std::string& sql);
  void Release(const std::string& sql, sqlite3_stmt* statement, std::uint64_t generation);
  std::uint64_t GetGeneration() const { return Generation; }

  sqlite3* GetHandle();
  [[noreturn]] void RaiseError() const;

private:
  void ApplyPragmas();
  void FinalizeAll();

  sqlite3* Handle = nullptr;
  std::string FileName;
  Durability Mode = Durability::Default;
  std::uint64_t Generation = 0;
  std::unordered_map<std::string, sqlite3_stmt*> Cache;
};

// Rolls back unless committed.
class TDbTransaction {
public:
  explicit TDbTransaction(TDbConnection& connection);
  ~TDbTransaction();
  TDbTransaction(const TDbTransaction&) = delete;
  TDbTransaction& operator=(const TDbTransaction&) = delete;

  void Commit();

private:
  TDbConnection& Connection;
  bool Done = false;
};
