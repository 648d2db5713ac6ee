#include "net/Taddressclass.h"

#include "text/Tkascii.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <cstdint>
#include <cstring>

namespace {

// address in host byte order.
TAddressClass ClassOfIPv4(std::uint32_t address) {
  const auto in = [address](std::uint32_t network, int bits) {
    return (address >> (32 - bits)) == (network >> (32 - bits));
  };
  // 0/8 means this host: connecting there reaches the machine itself.
  if (in(0x7F000000, 8) || in(0x00000000, 8))
    return TAddressClass::Loopback;
  if (in(0x0A000000, 8) || in(0xAC100000, 12) || in(0xC0A80000, 16) || in(0x64400000, 10))
    return TAddressClass::Private;
  if (in(0xA9FE0000, 16))
    return TAddressClass::LinkLocal;
  // Multicast, then the reserved block that holds the broadcast address.
  if (in(0xE0000000, 4) || in(0xF0000000, 4))
    return TAddressClass::Unusable;
  return TAddressClass::Public;
}

std::uint32_t IPv4At(const unsigned char* bytes) {
  return std::uint32_t{bytes[0]} << 24 | std::uint32_t{bytes[1]} << 16 | std::uint32_t{bytes[2]} << 8 | bytes[3];
}

TAddressClass ClassOfIPv6(const unsigned char* bytes) {
  static const unsigned char zero[16] = {};
  static const unsigned char nat64[12] = {0x00, 0x64, 0xff, 0x9b};
  if (std::memcmp(bytes, zero, 15) == 0 && bytes[15] <= 1)
    return TAddressClass::Loopback;  // :: and ::1
  // The IPv4-mapped, IPv4-compatible and NAT64 forms lead where their IPv4 address does.
  const bool mapped = std::memcmp(bytes, zero, 10) == 0 && bytes[10] == 0xff && bytes[11] == 0xff;
  if (mapped || std::memcmp(bytes, zero, 12) == 0 || std::memcmp(bytes, nat64, 12) == 0)
    return ClassOfIPv4(IPv4At(bytes + 12));
  if (bytes[0] == 0xff)
    return TAddressClass::Unusable;
  if ((bytes[0] & 0xfe) == 0xfc || (bytes[0] == 0xfe && (bytes[1] & 0xc0) == 0xc0))
    return TAddressClass::Private;  // unique local, and the old site-local
  if (bytes[0] == 0xfe && (bytes[1] & 0xc0) == 0x80)
    return TAddressClass::LinkLocal;
  return TAddressClass::Public;
}

bool IsLocalhostName(std::string name) {
  LowerAsciiInPlace(name.begin(), name.end());
  if (!name.empty() && name.back() == '.')
    name.pop_back();
  const std::string suffix = ".localhost";
  return name == "localhost" ||
         (name.size() > suffix.size() && name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0);
}

} // namespace

TAddressClass ClassOfAddress(const sockaddr* address) {
  if (address->sa_family == AF_INET)
    return ClassOfIPv4(ntohl(reinterpret_cast<const sockaddr_in*>(address)->sin_addr.s_addr));
  if (address->sa_family == AF_INET6)
    return ClassOfIPv6(reinterpret_cast<const sockaddr_in6*>(address)->sin6_addr.s6_addr);
  return TAddressClass::Unusable;
}

TAddressClass ClassOfHost(const std::string& host) {
  std::string literal = host;
  if (literal.size() >= 2 && literal.front() == '[' && literal.back() == ']')
    literal = literal.substr(1, literal.size() - 2);
  literal = literal.substr(0, literal.find('%'));  // an IPv6 zone
  in6_addr v6{};
  if (inet_pton(AF_INET6, literal.c_str(), &v6) == 1)
    return ClassOfIPv6(v6.s6_addr);
  in_addr v4{};
  if (inet_aton(literal.c_str(), &v4) != 0)
    return ClassOfIPv4(ntohl(v4.s_addr));
  return IsLocalhostName(literal) ? TAddressClass::Loopback : TAddressClass::Public;
}

bool MayReach(TAddressClass home, TAddressClass target) {
  if (target == TAddressClass::Unusable)
    return false;
  return target == TAddressClass::Public || target == home;
}

std::string AddressText(const sockaddr* address) {
  char text[INET6_ADDRSTRLEN] = {};
  if (address->sa_family == AF_INET)
    inet_ntop(AF_INET, &reinterpret_cast<const sockaddr_in*>(address)->sin_addr, text, sizeof text);
  else if (address->sa_family == AF_INET6)
    inet_ntop(AF_INET6, &reinterpret_cast<const sockaddr_in6*>(address)->sin6_addr, text, sizeof text);
  return text;
}
