#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <optional>

// A socket bound to a free port on loopback, listening when backlog is given; port
// receives the port.
inline int BoundOnLoopback(int& port, std::optional<int> backlog = std::nullopt) {
  const int bound = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  bind(bound, reinterpret_cast<sockaddr*>(&address), sizeof address);
  if (backlog)
    listen(bound, *backlog);
  getsockname(bound, reinterpret_cast<sockaddr*>(&address), &length);
  port = ntohs(address.sin_port);
  return bound;
}

// A port on loopback where nothing listens: bound for a moment to learn a free
// one, then closed, so that a connection is refused.
inline int ClosedPort() {
  int port = 0;
  close(BoundOnLoopback(port));
  return port;
}
