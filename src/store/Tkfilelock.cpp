#include "store/Tkfilelock.h"

#include "store/Tkfileutility.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <utility>

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const std::string LockSuffix = ".tocwerk-lock";

std::string HostName() {
  char name[256] = {};
  gethostname(name, sizeof name - 1);
  return name;
}

// The file an open descriptor is on now, followed through renames.
std::string PathOf(int fd) {
  char path[4096];
  const std::string link = "/proc/self/fd/" + std::to_string(fd);
  const ssize_t length = readlink(link.c_str(), path, sizeof path);
  return length > 0 ? std::string(path, static_cast<size_t>(length)) : std::string();
}

struct Owner {
  std::string Host;
  long Pid = 0;
  // Only a process of this host can be seen to be gone.
  bool Gone() const {
    return Host == HostName() && Pid > 0 && kill(static_cast<pid_t>(Pid), 0) != 0 && errno == ESRCH;
  }
  std::string Text() const { return Host.empty() ? std::string() : Host + " のプロセス " + std::to_string(Pid); }
};

Owner ReadOwner(const std::string& lockFile) {
  Owner owner;
  if (FILE* file = std::fopen(lockFile.c_str(), "re")) {
    char host[256] = {};
    if (std::fscanf(file, "%255s %ld", host, &owner.Pid) == 2)
      owner.Host = host;
    std::fclose(file);
  }
  return owner;
}

[[noreturn]] void CannotLock(const std::string& lockFile, int error) {
  throw std::runtime_error("フォルダー " + FolderOf(lockFile) +
                           " ではファイルをロックできません。ファイルシステムが flock に対応しておらず、"
                           "ロック用のファイルも作成できません。(" + std::strerror(error) + ")");
}

// Makes the lock file and gives its inode; 0 when another has it.
ino_t CreateLockFile(const std::string& lockFile) {
  const int fd = open(lockFile.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0644);
  if (fd < 0) {
    if (errno == EEXIST)
      return 0;
    CannotLock(lockFile, errno);
  }
  struct stat status {};
  fstat(fd, &status);
  const std::string text = HostName() + "\n" + std::to_string(getpid()) + "\n";
  const bool written = write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
  close(fd);
  if (!written) {
    std::remove(lockFile.c_str());
    CannotLock(lockFile, EIO);
  }
  return status.st_ino;
}

void RemoveStaleLockFile(const std::string& lockFile) {
  const Owner owner = ReadOwner(lockFile);
  // Read again just before: a new owner may have taken the file's place.
  if (owner.Gone() && ReadOwner(lockFile).Pid == owner.Pid)
    std::remove(lockFile.c_str());
}

}

bool TidyIfLockFile(const std::string& path) {
  if (!path.ends_with(LockSuffix))
    return false;
  struct stat locked {};
  if (lstat(path.substr(0, path.size() - LockSuffix.size()).c_str(), &locked) != 0)
    RemoveStaleLockFile(path);
  return true;
}

TFileLock::~TFileLock() {
  Release();
}

TFileLock::TFileLock(TFileLock&& other) noexcept
    : Fd(std::exchange(other.Fd, -1)), LockFile(std::move(other.LockFile)), LockInode(other.LockInode) {
  other.LockFile.clear();
}

TFileLock& TFileLock::operator=(TFileLock&& other) noexcept {
  if (this != &other) {
    Release();
    Fd = std::exchange(other.Fd, -1);
    LockFile = std::move(other.LockFile);
    LockInode = other.LockInode;
    other.LockFile.clear();
  }
  return *this;
}

TFileLock TFileLock::Take(int fd, std::string* holder) {
  TFileLock lock;
  lock.Fd = fd;
  if (flock(fd, LOCK_EX | LOCK_NB) == 0)
    return lock;
  if (errno == EWOULDBLOCK) {
    lock.Release();
    return lock;
  }
  const std::string lockFile = PathOf(fd) + LockSuffix;
  lock.LockInode = CreateLockFile(lockFile);
  if (lock.LockInode == 0) {
    RemoveStaleLockFile(lockFile);
    lock.LockInode = CreateLockFile(lockFile);
    if (lock.LockInode == 0) {
      if (holder)
        *holder = ReadOwner(lockFile).Text();
      lock.Release();
      return lock;
    }
  }
  lock.LockFile = lockFile;
  return lock;
}

void TFileLock::Follow() {
  if (LockFile.empty())
    return;
  const std::string moved = PathOf(Fd) + LockSuffix;
  // Whatever lock file the new name had was ours: the file now there is.
  if (moved != LockFile && std::rename(LockFile.c_str(), moved.c_str()) == 0)
    LockFile = moved;
}

void TFileLock::Release() {
  // A lock file of ours that another of our locks has since replaced is not ours.
  struct stat status {};
  if (!LockFile.empty() && stat(LockFile.c_str(), &status) == 0 && status.st_ino == LockInode)
    std::remove(LockFile.c_str());
  LockFile.clear();
  if (Fd >= 0)
    close(Fd);
  Fd = -1;
}
