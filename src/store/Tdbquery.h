#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

class TDbConnection;
struct sqlite3_stmt;

// A day number counting from 1899-12-30; the fraction is the time of day.
using TDateTime = double;

// A parameterised query bound to one connection. Each ":NAME" token of the SQL
// text is a parameter set by name; values stay set until the SQL text changes.
// Rows are walked forward with Open / First / Eof / Next and read by field name.
class TDbQuery {
public:
  explicit TDbQuery(TDbConnection& connection);
  ~TDbQuery();
  TDbQuery(const TDbQuery&) = delete;
  TDbQuery& operator=(const TDbQuery&) = delete;

  void Close();
  void SetSql(const std::string& sql);
  const std::string& GetSql() const { return Sql; }

  void SetText(const std::string& name, const std::string& value);
  void SetInteger(const std::string& name, std::int32_t value);
  void SetDateTime(const std::string& name, TDateTime value);

  void Execute();
  void Open();
  void First();
  bool Eof() const { return AtEnd; }
  void Next();

  std::string GetText(const std::string& field) const;
  std::int32_t GetInteger(const std::string& field) const;
  TDateTime GetDateTime(const std::string& field) const;

private:
  using Value = std::variant<std::string, std::int32_t, TDateTime>;

  void SetParameter(const std::string& name, Value value);
  void Prepare();
  void BindAll();
  bool Step();
  void ReleaseStatement();
  int FieldIndex(const std::string& field) const;

  TDbConnection& Connection;
  std::string Sql;
  // One slot per parameter of the statement, in its order; empty until set.
  std::vector<std::string> ParameterNames;
  std::vector<std::optional<Value>> Parameters;
  sqlite3_stmt* Statement = nullptr;
  std::uint64_t Generation = 0;
  bool Active = false;
  bool AtEnd = true;
  std::int64_t Row = -1;
  std::vector<std::string> FieldNames;
};
