#pragma once

#include <sys/types.h>

#include <atomic>
#include <chrono>
#include <string>

// The exit status of a host whose memory ran out.
constexpr int ScriptHostOutOfMemory = 3;

// One running tocwerk-script-host: its own process group, its socket as standard
// input and output and nothing else open, its address space limited. It is killed
// rather than waited for whenever a request does not end normally, and never
// outlives this object, nor the thread that made it: the kernel kills it when that
// thread ends, so that a program killed outright leaves no script running.
class TScriptHostProcess {
public:
  // Throws std::runtime_error when the program cannot be started.
  explicit TScriptHostProcess(const std::string& program);
  ~TScriptHostProcess();
  TScriptHostProcess(const TScriptHostProcess&) = delete;
  TScriptHostProcess& operator=(const TScriptHostProcess&) = delete;

  // Garbled: the answer broke the protocol, and the process was killed.
  enum class Outcome { Answered, TimedOut, Canceled, Died, Garbled };
  // Sends one message and receives the body of the answer. A raised cancel flag
  // ends the request half a second later unless it was answered by then. Anything
  // but Answered leaves the process ended.
  Outcome Exchange(const std::string& message, std::chrono::steady_clock::time_point deadline,
                   const std::atomic<bool>* cancel, std::string& answer);
  // Why the process ended, once Exchange said Died.
  const std::string& GetEndReason() const { return EndReason; }
  // Whether it ended because its memory ran out, once Exchange said Died.
  bool RanOutOfMemory() const { return OutOfMemory; }

private:
  enum class Wait { Ready, TimedOut, Canceled };
  Wait WaitFor(short events, std::chrono::steady_clock::time_point deadline,
               const std::atomic<bool>* cancel);
  bool Send(const std::string& message, std::chrono::steady_clock::time_point deadline,
            const std::atomic<bool>* cancel, Outcome& outcome);
  bool Receive(std::string& data, size_t size, std::chrono::steady_clock::time_point deadline,
               const std::atomic<bool>* cancel, Outcome& outcome);
  void Kill();
  void Reap();

  pid_t Pid = -1;
  int Socket = -1;
  std::string EndReason;
  bool OutOfMemory = false;
  // When the current request first saw the cancel flag up.
  std::chrono::steady_clock::time_point CanceledAt;
};
