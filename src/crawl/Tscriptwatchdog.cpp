#include "crawl/Tscriptwatchdog.h"

#include <QJSEngine>

TScriptWatchdog::TScriptWatchdog() : Thread([this] { Run(); }) {}

TScriptWatchdog::~TScriptWatchdog() {
  {
    std::lock_guard lock(Mutex);
    Stopping = true;
  }
  Wake.notify_one();
  Thread.join();
}

void TScriptWatchdog::Arm(QJSEngine* engine, std::chrono::milliseconds limit) {
  bool wake = false;
  {
    std::lock_guard lock(Mutex);
    Engine = engine;
    Deadline = std::chrono::steady_clock::now() + limit;
    Fired = false;
    wake = Deadline < WakeAt;
  }
  // Waking the thread for every call costs more than a short script call itself.
  if (wake)
    Wake.notify_one();
}

bool TScriptWatchdog::Disarm() {
  std::lock_guard lock(Mutex);
  Engine = nullptr;
  return Fired;
}

void TScriptWatchdog::Run() {
  std::unique_lock lock(Mutex);
  while (!Stopping) {
    if (Engine == nullptr) {
      WakeAt = std::chrono::steady_clock::time_point::max();
      Wake.wait(lock);
    } else if (std::chrono::steady_clock::now() < Deadline) {
      WakeAt = Deadline;
      Wake.wait_until(lock, Deadline);
    } else {
      Engine->setInterrupted(true);
      Engine = nullptr;
      Fired = true;
    }
  }
}
