#pragma once

#include "store/Tdbconnection.h"
#include "store/Tdbquery.h"

#include <string>

// The project database: a working copy in the temporary folder, one connection to
// it and the one shared query through which every store operation runs. Opening a
// project copies its file over the working copy; saving compacts the working copy
// into the project file. The working copy is deleted with this object.
class TProjectDb {
public:
  TProjectDb();
  ~TProjectDb();
  TProjectDb(const TProjectDb&) = delete;
  TProjectDb& operator=(const TProjectDb&) = delete;

  void Open(const std::string& fileName);
  // Makes a fresh copy of the blank project database the working copy, then opens it.
  void New(const std::string& blankFileName);
  void SaveTo(const std::string& fileName);
  void Connect(const std::string& fileName);
  void Close();

  std::string GetFileName() const { return FileName; }
  std::string GetWorkFileName() const { return WorkFileName; }
  TDbConnection& GetConnection() { return Connection; }

  void SetConfig(const std::string& key, const std::string& value);
  int GetVersion();
  void UpgradeToVersion2();

private:
  void ReplaceWorkingCopy(const std::string& source);

  TDbConnection Connection;

public:
  // The store operations run their SQL through this one query.
  TDbQuery Query;

private:
  std::string FileName;
  std::string WorkFileName;
};
