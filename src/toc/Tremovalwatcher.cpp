#include "toc/Tremovalwatcher.h"

#include "store/Tkmdbutility.h"

#include <cerrno>
#include <vector>

#include <poll.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// Runs in a grandchild of a forked copy of a process that may have threads, so
// only system calls, on paths made before the fork.
[[noreturn]] void WaitAndRemove(int pidfd, const std::vector<std::string>& paths) {
  dup2(pidfd, 0);
  syscall(SYS_close_range, 1u, ~0u, 0u);
  pollfd ended{0, POLLIN, 0};
  while (poll(&ended, 1, -1) < 0 && errno == EINTR) {
  }
  for (const std::string& path : paths)
    unlink(path.c_str());
  _exit(0);
}

}

void RemoveDatabaseAfter(int pidfd, const std::string& database) {
  if (pidfd < 0)
    return;
  std::vector<std::string> paths{database};
  for (const char* suffix : JournalSuffixes)
    paths.push_back(database + suffix);
  // Twice forked, so that nobody has to wait for it, and in a session of its own,
  // so that neither our terminal nor our process group's signals end it early.
  const pid_t child = fork();
  if (child == 0) {
    setsid();
    if (fork() == 0)
      WaitAndRemove(pidfd, paths);
    _exit(0);
  }
  if (child > 0)
    waitpid(child, nullptr, 0);
}
