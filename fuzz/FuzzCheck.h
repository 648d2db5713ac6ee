#pragma once

#include <cstdio>
#include <cstdlib>

// A broken property ends the run at once: libFuzzer keeps the input as a crash,
// and a replay fails naming the property.
inline void Require(bool holds, const char* property) {
  if (holds)
    return;
  std::fprintf(stderr, "property broken: %s\n", property);
  std::abort();
}
