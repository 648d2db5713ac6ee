#pragma once

#include <atomic>
#include <chrono>

// What bounds every script call: its time limit, and the flag that cancels it
// from another thread.
struct TScriptLimits {
  std::chrono::milliseconds Time{30000};
  const std::atomic<bool>* Cancel = nullptr;
};

// Thrown when the cancel flag stops work in flight.
struct TCanceled {};
