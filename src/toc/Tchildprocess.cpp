#include "toc/Tchildprocess.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <stdexcept>

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

// Descriptors handed to the child are moved above the standard ones first, so
// that the spawn's dup2 never meets a descriptor already in place.
constexpr int HighFd = 10;

std::runtime_error SystemError(int error) {
  return std::runtime_error(std::strerror(error));
}

TUniqueFd HighCopy(int fd) {
  TUniqueFd copy(fcntl(fd, F_DUPFD_CLOEXEC, HighFd));
  if (!copy.Valid())
    throw SystemError(errno);
  return copy;
}

// RAII for the spawn's attribute and action lists.
struct SpawnSetup {
  posix_spawnattr_t Attributes;
  posix_spawn_file_actions_t Actions;
  SpawnSetup() {
    posix_spawnattr_init(&Attributes);
    posix_spawn_file_actions_init(&Actions);
  }
  ~SpawnSetup() {
    posix_spawn_file_actions_destroy(&Actions);
    posix_spawnattr_destroy(&Attributes);
  }
  SpawnSetup(const SpawnSetup&) = delete;
  SpawnSetup& operator=(const SpawnSetup&) = delete;
};

// Reads the pipe until it is empty or closed, and discards what it reads; runs
// in a grandchild of a forked copy of this process, so only system calls.
[[noreturn]] void DrainAndExit(int fd) {
  dup2(fd, 0);
  syscall(SYS_close_range, 1u, ~0u, 0u);
  fcntl(0, F_SETFL, 0);
  char buffer[4096];
  while (true) {
    const ssize_t got = read(0, buffer, sizeof buffer);
    if (got > 0 || (got < 0 && errno == EINTR))
      continue;
    _exit(0);
  }
}

}

TChildProcess::TChildProcess(const Options& options) {
  TUniqueFd errorWrite;
  if (options.ReadErrors) {
    int ends[2];
    if (pipe2(ends, O_CLOEXEC) != 0)
      throw SystemError(errno);
    Errors = TUniqueFd(ends[0]);
    errorWrite = HighCopy(ends[1]);
    close(ends[1]);
    fcntl(Errors.Get(), F_SETFL, O_NONBLOCK);
  }
  TUniqueFd inherited;
  if (options.Inherited >= 0)
    inherited = HighCopy(options.Inherited);

  SpawnSetup setup;
  sigset_t signals;
  sigemptyset(&signals);
  posix_spawnattr_setsigmask(&setup.Attributes, &signals);
  // Signals the owner ignores (SIGPIPE in a command-line program) are the
  // program's default again.
  sigfillset(&signals);
  posix_spawnattr_setsigdefault(&setup.Attributes, &signals);
  OwnGroup = options.OwnSession;
  posix_spawnattr_setflags(&setup.Attributes, static_cast<short>((OwnGroup ? POSIX_SPAWN_SETSID : 0) |
                                                                 POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF));
  posix_spawn_file_actions_addopen(&setup.Actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&setup.Actions, 1, "/dev/null", O_WRONLY, 0);
  if (errorWrite.Valid())
    posix_spawn_file_actions_adddup2(&setup.Actions, errorWrite.Get(), 2);
  if (inherited.Valid())
    posix_spawn_file_actions_adddup2(&setup.Actions, inherited.Get(), 3);
  if (!options.Folder.empty())
    posix_spawn_file_actions_addchdir_np(&setup.Actions, options.Folder.c_str());
  posix_spawn_file_actions_addclosefrom_np(&setup.Actions, inherited.Valid() ? 4 : 3);

  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(options.Program.c_str()));
  for (const std::string& argument : options.Arguments)
    argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  const int error = posix_spawnp(&Pid, options.Program.c_str(), &setup.Actions, &setup.Attributes, argv.data(),
                                 environ);
  if (error != 0) {
    Pid = -1;
    throw SystemError(error);
  }
  Exit = TUniqueFd(static_cast<int>(syscall(SYS_pidfd_open, Pid, 0)));
}

TChildProcess::~TChildProcess() {
  if (Pid > 0) {
    SignalGroup(SIGKILL);
    Reap();
  }
}

void TChildProcess::ReadErrors() {
  if (!Errors.Valid())
    return;
  char buffer[65536];
  while (true) {
    const ssize_t got = read(Errors.Get(), buffer, sizeof buffer);
    if (got > 0) {
      Tail.Append(buffer, static_cast<std::size_t>(got));
      continue;
    }
    if (got < 0 && errno == EINTR)
      continue;
    if (got == 0)
      Errors.Reset();
    return;
  }
}

std::optional<TProgramEnd> TChildProcess::TryEnd() {
  if (Pid <= 0)
    throw std::logic_error("the program was reaped or let go");
  siginfo_t info{};
  if (waitid(P_PID, static_cast<id_t>(Pid), &info, WEXITED | WNOHANG | WNOWAIT) != 0 || info.si_pid == 0)
    return std::nullopt;
  ReadErrors();
  return Reap();
}

TProgramEnd TChildProcess::WaitForEnd(const std::function<bool()>& stopWanted, std::chrono::milliseconds grace) {
  // A signal interrupts poll at once; the timeout covers one that came just before it.
  const int checkEveryMs = stopWanted ? 200 : -1;
  std::optional<std::chrono::steady_clock::time_point> killAt;
  while (true) {
    pollfd watched[2] = {{Exit.Get(), POLLIN, 0}, {Errors.Get(), POLLIN, 0}};
    if (poll(watched, 2, checkEveryMs) < 0 && errno != EINTR)
      throw SystemError(errno);
    ReadErrors();
    if (std::optional<TProgramEnd> end = TryEnd())
      return *end;
    if (!killAt && stopWanted && stopWanted()) {
      SignalGroup(SIGTERM);
      killAt = std::chrono::steady_clock::now() + grace;
    } else if (killAt && std::chrono::steady_clock::now() >= *killAt) {
      SignalGroup(SIGKILL);
    }
  }
}

void TChildProcess::SignalGroup(int signal) const {
  if (Pid > 0)
    kill(OwnGroup ? -Pid : Pid, signal);
}

TProgramEnd TChildProcess::Reap() {
  int status = 0;
  while (waitpid(Pid, &status, 0) < 0 && errno == EINTR) {
  }
  Pid = -1;
  Exit.Reset();
  Errors.Reset();
  if (WIFSIGNALED(status))
    return {true, WTERMSIG(status)};
  return {false, WEXITSTATUS(status)};
}

void TChildProcess::Release() {
  if (Errors.Valid()) {
    // A grandchild that nobody waits for takes over the pipe, so that writing to
    // it neither blocks nor kills the program.
    const pid_t child = fork();
    if (child == 0) {
      if (fork() == 0)
        DrainAndExit(Errors.Get());
      _exit(0);
    }
    if (child > 0)
      waitpid(child, nullptr, 0);
    Errors.Reset();
  }
  Exit.Reset();
  Pid = -1;
}
