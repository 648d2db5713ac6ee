#include "TocLimits.h"

#include <charconv>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

namespace {

uint64_t Variable(const char* name, uint64_t fallback) {
  const char* text = std::getenv(name);
  if (!text)
    return fallback;
  uint64_t value = 0;
  const char* end = text + std::strlen(text);
  const auto [stop, error] = std::from_chars(text, end, value);
  return error == std::errc() && stop == end ? value : fallback;
}

std::string SizeText(uint64_t bytes) {
  const uint64_t gigabyte = uint64_t{1} << 30;
  return bytes % gigabyte == 0 ? std::to_string(bytes / gigabyte) + " GB"
                               : std::to_string(bytes) + " バイト";
}

}

TocLimits ReadTocLimits() {
  TocLimits limits;
  limits.Output = Variable("TOCWERK_TOC_TEST_MAX_OUTPUT", limits.Output);
  limits.Memory = Variable("TOCWERK_TOC_TEST_MAX_MEMORY", limits.Memory);
  return limits;
}

std::string OutputTooLargeMessage(uint64_t limit) {
  return "目次の大きさが上限 (" + SizeText(limit) + ") を超えます。";
}

std::string TooMuchMemoryMessage(uint64_t limit) {
  return "目次を作るのに要るメモリーが上限 (" + SizeText(limit) + ") を超えます。";
}

void TocMemory::Charge(uint64_t bytes) {
  Used += bytes;
  if (Used > Limit)
    throw std::runtime_error(TooMuchMemoryMessage(Limit));
}
