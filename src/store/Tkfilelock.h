#pragma once

#include <string>

// An exclusive lock on one open file: flock where the file system has it, else
// (NFS and some network homes) a lock file "<file>.tocwerk-lock" beside it, made
// exclusively and naming the owner's host and process. A lock file left by a
// process of this host that is gone is taken over; one of another host never is.
class TFileLock {
public:
  TFileLock() = default;
  ~TFileLock();
  TFileLock(TFileLock&& other) noexcept;
  TFileLock& operator=(TFileLock&& other) noexcept;
  TFileLock(const TFileLock&) = delete;
  TFileLock& operator=(const TFileLock&) = delete;

  // Takes over fd and locks its file. Gives an empty lock, with fd closed, when
  // another holds it; holder then says whose it is when a lock file tells. Throws
  // when neither kind of lock works in the file's folder.
  static TFileLock Take(int fd, std::string* holder = nullptr);

  bool Held() const { return Fd >= 0; }
  int Get() const { return Fd; }
  // The locked file was renamed: its lock file, if any, goes with it.
  void Follow();
  void Release();

private:
  int Fd = -1;
  std::string LockFile;
  unsigned long LockInode = 0;
};

// For the path of a lock file: removes it when both the file it locked and its
// owner are gone, and says true, so that scans of a folder pass it by.
bool TidyIfLockFile(const std::string& path);
