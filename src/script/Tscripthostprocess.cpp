#include "script/Tscripthostprocess.h"

#include "script/Tscriptlimits.h"
#include "script/Tscriptmessage.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <stdexcept>

namespace {

using Clock = std::chrono::steady_clock;

// How often a wait looks at the cancel flag.
constexpr std::chrono::milliseconds CancelPoll{50};
// How long a request may still take once the cancel flag is up: one that ends by then
// ends normally, so that the crawls stop where they always stop for a cancel, and only
// a script that would keep them waiting is killed.
constexpr std::chrono::milliseconds CancelGrace{500};

#if defined(__SANITIZE_ADDRESS__)
// The address sanitizer reserves terabytes of shadow memory up front.
constexpr bool LimitAddressSpace = false;
#else
constexpr bool LimitAddressSpace = true;
#endif

// Runs in the forked child before exec: only async-signal-safe calls. The death
// signal survives the exec; a parent that died before it was set is caught by the
// parent check.
[[noreturn]] void BecomeHost(const char* program, int socket, int devNull, pid_t parent) {
  prctl(PR_SET_PDEATHSIG, SIGKILL);
  if (getppid() != parent)
    _exit(127);
  setpgid(0, 0);
  sigset_t none;
  sigemptyset(&none);
  sigprocmask(SIG_SETMASK, &none, nullptr);
  signal(SIGPIPE, SIG_DFL);
  dup2(socket, STDIN_FILENO);
  dup2(socket, STDOUT_FILENO);
  dup2(devNull, STDERR_FILENO);
  syscall(SYS_close_range, 3u, ~0u, 0u);
  if (LimitAddressSpace) {
    const rlim_t bytes = rlim_t{ScriptHostMemoryLimitMb} << 20;
    const rlimit memory{bytes, bytes};
    setrlimit(RLIMIT_AS, &memory);
  }
  const rlimit noCore{0, 0};
  setrlimit(RLIMIT_CORE, &noCore);
  char* const argv[] = {const_cast<char*>(program), nullptr};
  execv(program, argv);
  _exit(127);
}

std::string EndReasonOf(int status) {
  if (WIFEXITED(status))
    return "終了コード " + std::to_string(WEXITSTATUS(status));
  if (WIFSIGNALED(status)) {
    const char* name = strsignal(WTERMSIG(status));
    return "シグナル " + std::to_string(WTERMSIG(status)) + (name ? std::string(": ") + name : "");
  }
  return "状態 " + std::to_string(status);
}

} // namespace

TScriptHostProcess::TScriptHostProcess(const std::string& program) {
  if (access(program.c_str(), X_OK) != 0)
    throw std::runtime_error("スクリプトの実行プログラムが見つかりません: " + program);
  int sockets[2];
  if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, sockets) != 0)
    throw std::runtime_error(std::string("スクリプトの実行プロセスを起動できません: ") + std::strerror(errno));
  const int devNull = open("/dev/null", O_WRONLY | O_CLOEXEC);
  const pid_t parent = getpid();
  Pid = fork();
  if (Pid == 0)
    BecomeHost(program.c_str(), sockets[1], devNull, parent);
  const int forkError = errno;
  close(sockets[1]);
  if (devNull >= 0)
    close(devNull);
  if (Pid < 0) {
    close(sockets[0]);
    throw std::runtime_error(std::string("スクリプトの実行プロセスを起動できません: ") + std::strerror(forkError));
  }
  Socket = sockets[0];
  fcntl(Socket, F_SETFL, fcntl(Socket, F_GETFL) | O_NONBLOCK);
}

TScriptHostProcess::~TScriptHostProcess() {
  // Between requests the host holds nothing worth ending cleanly.
  Kill();
  close(Socket);
}

TScriptHostProcess::Outcome TScriptHostProcess::Exchange(const std::string& message,
                                                         Clock::time_point deadline,
                                                         const std::atomic<bool>* cancel,
                                                         std::string& answer) {
  CanceledAt = Clock::time_point();
  Outcome outcome = Outcome::Answered;
  std::string header;
  if (!Send(message, deadline, cancel, outcome) || !Receive(header, 4, deadline, cancel, outcome))
    return outcome;
  const size_t length = ScriptMessageLength(header.data());
  if (length > MaxScriptMessageSize) {
    Kill();
    return Outcome::Garbled;
  }
  Receive(answer, length, deadline, cancel, outcome);
  return outcome;
}

TScriptHostProcess::Wait TScriptHostProcess::WaitFor(short events, Clock::time_point deadline,
                                                     const std::atomic<bool>* cancel) {
  for (;;) {
    const Clock::time_point now = Clock::now();
    if (cancel && *cancel) {
      if (CanceledAt == Clock::time_point())
        CanceledAt = now;
      if (now - CanceledAt >= CancelGrace)
        return Wait::Canceled;
    }
    if (now >= deadline)
      return Wait::TimedOut;
    auto slice = std::chrono::ceil<std::chrono::milliseconds>(deadline - now);
    if (cancel)
      slice = std::min(slice, CancelPoll);
    pollfd entry{Socket, events, 0};
    const int ready = poll(&entry, 1, static_cast<int>(std::min<long long>(slice.count(), 1 << 30)));
    if (ready > 0)
      return Wait::Ready;
  }
}

bool TScriptHostProcess::Send(const std::string& message, Clock::time_point deadline,
                              const std::atomic<bool>* cancel, Outcome& outcome) {
  size_t sent = 0;
  while (sent < message.size()) {
    const ssize_t put = send(Socket, message.data() + sent, message.size() - sent, MSG_NOSIGNAL);
    if (put > 0) {
      sent += static_cast<size_t>(put);
      continue;
    }
    if (put < 0 && errno != EAGAIN && errno != EINTR) {
      Reap();
      outcome = Outcome::Died;
      return false;
    }
    const Wait wait = WaitFor(POLLOUT, deadline, cancel);
    if (wait != Wait::Ready) {
      Kill();
      outcome = wait == Wait::Canceled ? Outcome::Canceled : Outcome::TimedOut;
      return false;
    }
  }
  return true;
}

bool TScriptHostProcess::Receive(std::string& data, size_t size, Clock::time_point deadline,
                                 const std::atomic<bool>* cancel, Outcome& outcome) {
  data.resize(size);
  size_t got = 0;
  while (got < size) {
    const ssize_t read = recv(Socket, data.data() + got, size - got, 0);
    if (read > 0) {
      got += static_cast<size_t>(read);
      continue;
    }
    if (read == 0 || (errno != EAGAIN && errno != EINTR)) {
      Reap();
      outcome = Outcome::Died;
      return false;
    }
    const Wait wait = WaitFor(POLLIN, deadline, cancel);
    if (wait != Wait::Ready) {
      Kill();
      outcome = wait == Wait::Canceled ? Outcome::Canceled : Outcome::TimedOut;
      return false;
    }
  }
  return true;
}

void TScriptHostProcess::Kill() {
  if (Pid <= 0)
    return;
  kill(Pid, SIGKILL);
  Reap();
}

void TScriptHostProcess::Reap() {
  if (Pid <= 0)
    return;
  int status = 0;
  while (waitpid(Pid, &status, 0) < 0 && errno == EINTR) {
  }
  EndReason = EndReasonOf(status);
  OutOfMemory = WIFEXITED(status) && WEXITSTATUS(status) == ScriptHostOutOfMemory;
  Pid = -1;
}
