#pragma once

#include "toc/Ttexttail.h"
#include "toc/Tuniquefd.h"

#include <sys/types.h>

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

// How a program ended: its exit status, or the signal that ended it.
struct TProgramEnd {
  bool Crashed = false;
  int Status = 0;
};

// A program started in a session of its own, so that it and everything it starts
// can be signalled as one process group and it survives the owner's terminal,
// with no input and its output discarded.
// Its standard error is either read by the owner, as it arrives and bounded, or
// shared with the owner's. The owner learns of its end through ExitFd, or waits.
class TChildProcess {
public:
  struct Options {
    std::string Program; // searched in PATH when it has no "/"
    std::vector<std::string> Arguments;
    std::string Folder;  // the working folder; empty keeps the owner's
    bool ReadErrors = false;
    // Given to the program as its descriptor 3, e.g. a lock it holds while it runs.
    int Inherited = -1;
    // False keeps it in the owner's process group, where a terminal's Ctrl+C
    // reaches it too.
    bool OwnSession = true;
  };

  // Throws std::runtime_error with the system's reason when it cannot start.
  explicit TChildProcess(const Options& options);
  // A program still owned is killed, with its group.
  ~TChildProcess();
  TChildProcess(const TChildProcess&) = delete;
  TChildProcess& operator=(const TChildProcess&) = delete;

  // Readable once the program has ended; -1 after it was reaped or let go.
  int ExitFd() const { return Exit.Get(); }
  // The read end of its standard error; -1 when not read.
  int ErrorFd() const { return Errors.Get(); }
  // Reads what has arrived on standard error without blocking.
  void ReadErrors();
  const TTextTail& ErrorTail() const { return Tail; }

  // The end, once the program has ended (reading what it wrote last); nullopt
  // while it runs.
  std::optional<TProgramEnd> TryEnd();
  // Blocks until the program ends, reading its standard error meanwhile. Once
  // stopWanted says so, the program is asked to end (SIGTERM) and killed when it
  // has not within grace.
  TProgramEnd WaitForEnd(const std::function<bool()>& stopWanted = {},
                         std::chrono::milliseconds grace = std::chrono::seconds(2));

  // Sends the signal to the program's process group (to the program alone when it
  // shares the owner's).
  void SignalGroup(int signal) const;
  // Lets the program run on by itself after the owner: its standard error goes
  // nowhere from now on and its end is not waited for.
  void Release();

private:
  TProgramEnd Reap();

  pid_t Pid = -1;
  bool OwnGroup = true;
  TUniqueFd Exit;
  TUniqueFd Errors;
  TTextTail Tail;
};
