#pragma once

#include "store/Tkfilelock.h"

#include <string>

struct stat;

// Which file a path named, and how it looked, when a project was loaded or saved.
struct TFileIdentity {
  unsigned long long Device = 0;
  unsigned long long Inode = 0;
  long long Size = -1;
  long long ModifiedNs = 0;

  static TFileIdentity Of(const struct stat& status);
  bool Known() const { return Size >= 0; }
  bool SameFile(const struct stat& status) const;
  bool Unchanged(const struct stat& status) const;
};

// A lock on a project file, held from load to save so that two Tocwerk processes
// never write one project. Saving renames a new file over the old one, so the lock
// is taken on the new file before the rename and goes with it.
class TProjectLock {
public:

  // Locks the regular file at path. Throws "<shown> は別の Tocwerk が使用中です。"
  // when another holds it; a missing or non-regular file gives a lock that holds
  // nothing, and the caller's next step reports it.
  static TProjectLock Acquire(const std::string& path, const std::string& shown);
  // Locks a file just made exclusively, open at fd.
  static TProjectLock OfNewFile(int fd, const std::string& shown);

  bool Held() const { return Lock.Held(); }
  bool Holds(const struct stat& status) const;
  TFileIdentity Identity() const;
  // The locked file was renamed.
  void Follow() { Lock.Follow(); }
  void Release() { Lock.Release(); }

private:
  TFileLock Lock;
};

// "<shown> は別の Tocwerk が使用中です。", with the holder when known.
std::string InUseMessage(const std::string& shown, const std::string& holder = {});
