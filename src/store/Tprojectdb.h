#pragma once

#include "store/Tdbconnection.h"
#include "store/Tdbquery.h"
#include "store/Tkprojectlock.h"
#include "store/Tkworkcopy.h"

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

// Saving would overwrite what another program wrote since the project was loaded.
class TProjectChangedError : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

// The project database: a working copy in the per-user work folder, one
// connection to it and the one shared query through which every store operation
// runs. Opening a project copies its file over the working copy; saving compacts
// the working copy into the project file. While a project file is open its lock
// is held, so that no other Tocwerk writes it. The working copy is deleted with
// this object.
class TProjectDb {
public:
  // Reads what it needs from a project while it is being opened, before it
  // replaces the working copy.
  using SettingsReader = std::function<void(TProjectDb&)>;

  TProjectDb();
  ~TProjectDb();
  TProjectDb(const TProjectDb&) = delete;
  TProjectDb& operator=(const TProjectDb&) = delete;

  // Opens a project file. The whole open (copy, check, upgrade, read) happens on
  // a copy beside the working copy, which it replaces only when all succeeded:
  // a failed open changes nothing.
  void Open(const std::string& fileName, const SettingsReader& readSettings = {});
  // Makes a fresh copy of the blank project database the working copy.
  void New(const std::string& blankFileName);
  // Takes over the working copy of a run that crashed, as an unsaved project that
  // belongs to the project file it belonged to; the orphan is deleted.
  void Recover(const TWorkCopyInfo& orphan, const SettingsReader& readSettings = {});
  // Saving as a new file never replaces one that exists, or appears meanwhile.
  enum class SaveMode { Replace, NewFileOnly };
  void SaveTo(const std::string& fileName, SaveMode mode = SaveMode::Replace);
  void Connect(const std::string& fileName);
  void Close();

  // A project opened only to be read takes no lock and cannot be saved.
  void SetReadOnly(bool readOnly) { ReadOnly = readOnly; }

  std::string GetFileName() const { return FileName; }
  std::string GetWorkFileName() const { return WorkFileName; }
  TDbConnection& GetConnection() { return Connection; }

  void SetConfig(const std::string& key, const std::string& value);
  int GetVersion();
  void UpgradeToVersion2();

  static std::vector<TWorkCopyInfo> ListOrphanedWorkCopies() { return ::ListOrphanedWorkCopies(); }
  static void DiscardOrphanedWorkCopy(const TWorkCopyInfo& orphan) { DiscardWorkCopy(orphan); }

private:
  void Adopt(const std::string& source, const std::string& shownName, const SettingsReader& readSettings);
  void EnsureSchema();
  void CheckSaveTarget(const std::string& fileName, const std::string& path, bool exists,
                       TProjectLock& targetLock);
  void RememberProject(const std::string& fileName, const TFileIdentity& identity);

  TWorkCopy Work;
  TDbConnection Connection;

public:
  // The store operations run their SQL through this one query.
  TDbQuery Query;

private:
  std::string FileName;
  std::string WorkFileName;
  bool ReadOnly = false;
  TProjectLock Lock;
  // The project file as it was when loaded or last saved: saving refuses to
  // overwrite what another program wrote since.
  std::string LoadedPath;
  TFileIdentity Loaded;
};
