#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

class QJSEngine;

// Interrupts a script engine that runs past its time limit. It lives on its own
// thread, so the thread that runs the script never waits for it and nothing else does.
class TScriptWatchdog {
public:
  TScriptWatchdog();
  ~TScriptWatchdog();
  TScriptWatchdog(const TScriptWatchdog&) = delete;
  TScriptWatchdog& operator=(const TScriptWatchdog&) = delete;

  void Arm(QJSEngine* engine, std::chrono::milliseconds limit);
  // Once this returns the engine is no longer touched. True when the limit passed
  // and the engine was interrupted.
  bool Disarm();

private:
  void Run();

  std::mutex Mutex;
  std::condition_variable Wake;
  QJSEngine* Engine = nullptr;
  std::chrono::steady_clock::time_point Deadline;
  // When the thread wakes by itself: it need not be woken for a later deadline.
  std::chrono::steady_clock::time_point WakeAt = std::chrono::steady_clock::time_point::max();
  bool Fired = false;
  bool Stopping = false;
  std::thread Thread;
};
