#pragma once

#include <cstdlib>
#include <optional>
#include <string>

// Sets an environment variable (an empty value unsets it) for the programs started
// while it lives, and puts the old value back.
class ScopedEnv {
public:
  ScopedEnv(const char* name, const std::string& value) : Name(name) {
    if (const char* old = std::getenv(name))
      Old = old;
    if (value.empty())
      unsetenv(name);
    else
      setenv(name, value.c_str(), 1);
  }
  ~ScopedEnv() {
    if (Old)
      setenv(Name, Old->c_str(), 1);
    else
      unsetenv(Name);
  }
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
  const char* Name;
  std::optional<std::string> Old;
};
