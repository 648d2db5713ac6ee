#include "script/ScriptHostMemory.h"

#include "script/Tscripthostprocess.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <new>

namespace {

// A request the engine could not have made further below the limit: its heap grows
// in pieces of a few MB, its arrays and strings by doubling.
constexpr std::size_t Headroom = std::size_t{64} << 20;

std::size_t Limit = 0;
std::size_t PageSize = 0;
alignas(16) char SignalStack[64 * 1024];

// Only async-signal-safe calls: it runs in a signal handler.
std::size_t AddressSpaceInUse() {
  const int file = open("/proc/self/statm", O_RDONLY | O_CLOEXEC);
  if (file < 0)
    return 0;
  char text[64];
  const ssize_t got = read(file, text, sizeof text);
  close(file);
  std::size_t pages = 0;
  for (ssize_t i = 0; i < got && text[i] >= '0' && text[i] <= '9'; ++i)
    pages = pages * 10 + static_cast<std::size_t>(text[i] - '0');
  return pages * PageSize;
}

// A crash on a failed allocation, or with the address space all but used up.
void OnCrash(int signalNumber) {
  if (errno == ENOMEM || AddressSpaceInUse() + Headroom >= Limit)
    _exit(ScriptHostOutOfMemory);
  signal(signalNumber, SIG_DFL);
  raise(signalNumber);
}

[[noreturn]] void OnNewFailure() {
  _exit(ScriptHostOutOfMemory);
}

} // namespace

void ExitOnMemoryExhaustion() {
  std::set_new_handler(OnNewFailure);
  rlimit limit{};
  if (getrlimit(RLIMIT_AS, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY)
    return;
  Limit = static_cast<std::size_t>(limit.rlim_cur);
  PageSize = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
  // The fault may come from a stack that has no room left.
  stack_t stack{};
  stack.ss_sp = SignalStack;
  stack.ss_size = sizeof SignalStack;
  sigaltstack(&stack, nullptr);
  struct sigaction action{};
  action.sa_handler = OnCrash;
  action.sa_flags = SA_ONSTACK;
  sigemptyset(&action.sa_mask);
  for (const int signalNumber : {SIGSEGV, SIGBUS, SIGABRT})
    sigaction(signalNumber, &action, nullptr);
}

void ForgetFailedAllocation() {
  errno = 0;
}
