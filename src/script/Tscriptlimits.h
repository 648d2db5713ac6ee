#pragma once

#include <atomic>
#include <chrono>

// What bounds every script call: its time limit, and the flag that cancels it
// from another thread.
struct TScriptLimits {
  std::chrono::milliseconds Time{30000};
  const std::atomic<bool>* Cancel = nullptr;
};

// The address space a script host may use, in MB.
constexpr int ScriptHostMemoryLimitMb = 1024;

// Thrown when the cancel flag stops work in flight.
struct TCanceled {};
