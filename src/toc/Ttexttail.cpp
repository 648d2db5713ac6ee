#include "toc/Ttexttail.h"

void TTextTail::Append(const char* bytes, std::size_t size) {
  if (size >= Limit) {
    Kept.assign(bytes + (size - Limit), Limit);
    return;
  }
  if (Kept.size() + size > Limit)
    Kept.erase(0, Kept.size() + size - Limit);
  Kept.append(bytes, size);
}

std::string TTextTail::Text() const {
  std::size_t start = 0;
  // A cut may fall inside a character: skip its continuation bytes.
  while (start < Kept.size() && start < 3 && (static_cast<unsigned char>(Kept[start]) & 0xC0) == 0x80)
    ++start;
  return Kept.substr(start);
}
