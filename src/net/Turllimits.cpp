#include "net/Turllimits.h"

#include <stdexcept>

namespace {

constexpr std::size_t MessageUrlLength = 120;

bool ContinuesCharacter(char byte) {
  return (static_cast<unsigned char>(byte) & 0xC0) == 0x80;
}

} // namespace

void CheckUrlLength(const std::string& url) {
  if (url.size() > MaxUrlLength)
    throw std::runtime_error("URLが長すぎます (" + std::to_string(MaxUrlLength) + " バイトまで): " + ShortUrl(url));
}

std::string ShortUrl(const std::string& url) {
  if (url.size() <= MessageUrlLength)
    return url;
  std::size_t cut = MessageUrlLength;
  while (cut > 0 && ContinuesCharacter(url[cut]))
    --cut;
  return url.substr(0, cut) + "…";
}
