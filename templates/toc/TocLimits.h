#pragma once

#include <cstdint>
#include <string>

// How far one run may go: 1 GB of HTML and 2 GB of memory for the listing. For
// tests only, TOCWERK_TOC_TEST_MAX_OUTPUT and TOCWERK_TOC_TEST_MAX_MEMORY (bytes)
// set other limits, so that a test need not write a gigabyte.
struct TocLimits {
  uint64_t Output = uint64_t{1} << 30;
  uint64_t Memory = uint64_t{2} << 30;
};

TocLimits ReadTocLimits();

std::string OutputTooLargeMessage(uint64_t limit);
std::string TooMuchMemoryMessage(uint64_t limit);

// Counts the bytes the listing of a run holds, and throws std::runtime_error with
// the message above once they pass the limit. Counting what is read keeps the
// bound where a sanitizer, which reserves address space of its own, cannot upset it.
class TocMemory {
public:
  explicit TocMemory(uint64_t limit) : Limit(limit) {}
  void Charge(uint64_t bytes);

private:
  uint64_t Limit;
  uint64_t Used = 0;
};
