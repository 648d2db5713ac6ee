#include "store/Tkprojectlock.h"

#include <stdexcept>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int MaxAttempts = 10;

long long Nanoseconds(const struct timespec& time) {
  return static_cast<long long>(time.tv_sec) * 1000000000LL + time.tv_nsec;
}

}

TFileIdentity TFileIdentity::Of(const struct stat& status) {
  return {static_cast<unsigned long long>(status.st_dev), static_cast<unsigned long long>(status.st_ino),
          static_cast<long long>(status.st_size), Nanoseconds(status.st_mtim)};
}

bool TFileIdentity::SameFile(const struct stat& status) const {
  return Known() && Device == status.st_dev && Inode == status.st_ino;
}

bool TFileIdentity::Unchanged(const struct stat& status) const {
  return SameFile(status) && Size == status.st_size && ModifiedNs == Nanoseconds(status.st_mtim);
}

std::string InUseMessage(const std::string& shown, const std::string& holder) {
  return shown + " は別の Tocwerk が使用中です。" + (holder.empty() ? std::string() : "(" + holder + ")");
}

TProjectLock TProjectLock::Acquire(const std::string& path, const std::string& shown) {
  // A save elsewhere may rename a new file over the path between open and flock;
  // the lock counts only when the path still names the locked file.
  for (int attempt = 0; attempt < MaxAttempts; ++attempt) {
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0)
      return {};
    struct stat opened {};
    if (fstat(fd, &opened) != 0 || !S_ISREG(opened.st_mode)) {
      close(fd);
      return {};
    }
    std::string holder;
    TProjectLock lock;
    lock.Lock = TFileLock::Take(fd, &holder);
    if (!lock.Held())
      throw std::runtime_error(InUseMessage(shown, holder));
    struct stat named {};
    if (stat(path.c_str(), &named) == 0 && named.st_dev == opened.st_dev && named.st_ino == opened.st_ino)
      return lock;
  }
  throw std::runtime_error(InUseMessage(shown));
}

TProjectLock TProjectLock::OfNewFile(int fd, const std::string& shown) {
  TProjectLock lock;
  lock.Lock = TFileLock::Take(fd);
  if (!lock.Held())
    throw std::runtime_error(InUseMessage(shown));
  return lock;
}

bool TProjectLock::Holds(const struct stat& status) const {
  return Held() && Identity().SameFile(status);
}

TFileIdentity TProjectLock::Identity() const {
  struct stat status {};
  if (!Held() || fstat(Lock.Get(), &status) != 0)
    return {};
  return TFileIdentity::Of(status);
}
