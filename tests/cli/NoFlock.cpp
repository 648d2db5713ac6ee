// Preloaded into tocwerk-cli to stand for a file system without flock (NFS and
// some network homes): flock() fails with ENOLCK for files under
// $TOCWERK_NO_FLOCK_UNDER, or for every file when that is unset.
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <string>

#include <dlfcn.h>
#include <unistd.h>

namespace {

bool Affected(int fd) {
  const char* under = std::getenv("TOCWERK_NO_FLOCK_UNDER");
  if (!under || !*under)
    return true;
  char path[PATH_MAX];
  const std::string link = "/proc/self/fd/" + std::to_string(fd);
  const ssize_t length = readlink(link.c_str(), path, sizeof path);
  return length > 0 && std::string(path, static_cast<size_t>(length)).starts_with(under);
}

}

extern "C" int flock(int fd, int operation) {
  if (!Affected(fd)) {
    using Flock = int (*)(int, int);
    static const auto real = reinterpret_cast<Flock>(dlsym(RTLD_NEXT, "flock"));
    return real(fd, operation);
  }
  errno = ENOLCK;
  return -1;
}
