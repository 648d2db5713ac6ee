#pragma once

#include "store/Tkappfolder.h"
#include "store/Tprojectdb.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <string>

inline std::string BlankProject() {
  return GetDbFolder() + "blog.mdb";
}

// The first column of the first row of a query, as text ("" when there is none).
inline std::string Scalar(TProjectDb& db, const std::string& sql) {
  db.Query.SetSql(sql);
  db.Query.Open();
  TDbQuery& query = db.Query;
  std::string value;
  if (!query.Eof())
    value = query.GetText("v");
  query.Close();
  return value;
}

inline int CountRows(TProjectDb& db, const std::string& table, const std::string& where = "") {
  return std::stoi(Scalar(db, "select count(*) as v from " + table + (where.empty() ? "" : " where " + where)));
}

// A project database on a fresh blank project, with a folder for project files.
class StoreTest : public ::testing::Test {
protected:
  StoreTest() { Db.New(BlankProject()); }

  TempFolder Folder;
  TProjectDb Db;
};
