#include "store/Tdbquery.h"

#include "store/Tdbconnection.h"
#include "store/Tdberror.h"

#include <sqlite3.h>

#include <algorithm>

namespace {

// Parameter and field names are found without regard to ASCII case.
char FoldedChar(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

std::string Folded(std::string name) {
  std::transform(name.begin(), name.end(), name.begin(), FoldedChar);
  return name;
}

// folded is already folded; name is as the caller wrote it.
bool SameName(const std::string& folded, const std::string& name) {
  return folded.size() == name.size() &&
         std::equal(folded.begin(), folded.end(), name.begin(),
                    [](char a, char b) { return a == FoldedChar(b); });
}

}

TDbQuery::TDbQuery(TDbConnection& connection) : Connection(connection) {}

TDbQuery::~TDbQuery() {
  ReleaseStatement();
}

void TDbQuery::Close() {
  Active = false;
  AtEnd = true;
  Row = -1;
  if (Statement && Generation == Connection.GetGeneration())
    sqlite3_reset(Statement);
}

void TDbQuery::SetSql(const std::string& sql) {
  Close();
  ReleaseStatement();
  Sql = sql;
  ParameterNames.clear();
  Parameters.clear();
}

void TDbQuery::ReleaseStatement() {
  if (Statement)
    Connection.Release(Sql, Statement, Generation);
  Statement = nullptr;
}

void TDbQuery::Prepare() {
  if (Statement && Generation == Connection.GetGeneration())
    return;
  Statement = nullptr;
  Active = false;
  AtEnd = true;
  Statement = Connection.Acquire(Sql);
  Generation = Connection.GetGeneration();
  if (!ParameterNames.empty())
    return;
  const int count = sqlite3_bind_parameter_count(Statement);
  for (int i = 1; i <= count; ++i) {
    const char* name = sqlite3_bind_parameter_name(Statement, i);
    ParameterNames.push_back(name ? Folded(name + 1) : std::string());
  }
  Parameters.resize(ParameterNames.size());
}

void TDbQuery::SetParameter(const std::string& name, Value value) {
  Prepare();
  bool found = false;
  for (std::size_t i = 0; i < ParameterNames.size(); ++i) {
    if (SameName(ParameterNames[i], name)) {
      Parameters[i] = value;
      found = true;
    }
  }
  if (!found)
    throw TDbError("パラメータ :" + name + " はSQL文にありません。");
}

void TDbQuery::SetText(const std::string& name, const std::string& value) {
  SetParameter(name, value);
}

void TDbQuery::SetInteger(const std::string& name, std::int32_t value) {
  SetParameter(name, value);
}

void TDbQuery::SetDateTime(const std::string& name, TDateTime value) {
  SetParameter(name, value);
}

void TDbQuery::BindAll() {
  for (std::size_t i = 0; i < ParameterNames.size(); ++i) {
    const int index = static_cast<int>(i + 1);
    if (!Parameters[i])
      throw TDbError("パラメータ :" + ParameterNames[i] + " に値がありません。");
    const Value& value = *Parameters[i];
    int rc = SQLITE_OK;
    if (const auto* text = std::get_if<std::string>(&value))
      rc = sqlite3_bind_text(Statement, index, text->data(), static_cast<int>(text->size()),
                             SQLITE_TRANSIENT);
    else if (const auto* integer = std::get_if<std::int32_t>(&value))
      rc = sqlite3_bind_int(Statement, index, *integer);
    else
      rc = sqlite3_bind_double(Statement, index, std::get<TDateTime>(value));
    if (rc != SQLITE_OK)
      Connection.RaiseError();
  }
}

bool TDbQuery::Step() {
  const int rc = sqlite3_step(Statement);
  if (rc == SQLITE_ROW)
    return true;
  if (rc == SQLITE_DONE)
    return false;
  const std::string message = sqlite3_errmsg(Connection.GetHandle());
  sqlite3_reset(Statement);
  Active = false;
  AtEnd = true;
  throw TDbError(message);
}

void TDbQuery::Execute() {
  Close();
  Prepare();
  BindAll();
  while (Step()) {
  }
  sqlite3_reset(Statement);
}

void TDbQuery::Open() {
  Close();
  Prepare();
  BindAll();
  FieldNames.clear();
  const int count = sqlite3_column_count(Statement);
  for (int i = 0; i < count; ++i)
    FieldNames.push_back(Folded(sqlite3_column_name(Statement, i)));
  Active = true;
  AtEnd = !Step();
  Row = 0;
}

void TDbQuery::First() {
  if (!Active)
    throw TDbError("クエリが開かれていません。");
  if (Row == 0)
    return;
  sqlite3_reset(Statement);
  AtEnd = !Step();
  Row = 0;
}

void TDbQuery::Next() {
  if (!Active || AtEnd)
    return;
  AtEnd = !Step();
  ++Row;
}

int TDbQuery::FieldIndex(const std::string& field) const {
  if (!Active || AtEnd || Generation != Connection.GetGeneration())
    throw TDbError("現在のレコードがありません。");
  const auto found = std::find_if(FieldNames.begin(), FieldNames.end(),
                                  [&](const std::string& name) { return SameName(name, field); });
  if (found == FieldNames.end())
    throw TDbError("フィールド " + field + " が見つかりません。");
  return static_cast<int>(found - FieldNames.begin());
}

std::string TDbQuery::GetText(const std::string& field) const {
  const int index = FieldIndex(field);
  const auto* text = sqlite3_column_text(Statement, index);
  if (!text)
    return {};
  return std::string(reinterpret_cast<const char*>(text),
                     static_cast<std::size_t>(sqlite3_column_bytes(Statement, index)));
}

std::int32_t TDbQuery::GetInteger(const std::string& field) const {
  return sqlite3_column_int(Statement, FieldIndex(field));
}

TDateTime TDbQuery::GetDateTime(const std::string& field) const {
  return sqlite3_column_double(Statement, FieldIndex(field));
}
