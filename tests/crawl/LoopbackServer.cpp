#include "LoopbackServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <stdexcept>
#include <strings.h>

namespace {

HttpRequest ParseRequest(const std::string& head) {
  HttpRequest request;
  size_t lineEnd = head.find("\r\n");
  const std::string first = head.substr(0, lineEnd);
  const size_t space = first.find(' ');
  request.Method = first.substr(0, space);
  request.Target = first.substr(space + 1, first.rfind(' ') - space - 1);
  while (lineEnd != std::string::npos && lineEnd + 2 < head.size()) {
    const size_t start = lineEnd + 2;
    lineEnd = head.find("\r\n", start);
    const std::string line = head.substr(start, lineEnd - start);
    const size_t colon = line.find(':');
    if (colon == std::string::npos)
      continue;
    const size_t value = line.find_first_not_of(' ', colon + 1);
    request.Headers.emplace_back(line.substr(0, colon),
                                 value == std::string::npos ? "" : line.substr(value));
  }
  return request;
}

bool SendAll(int socket, const std::string& bytes) {
  size_t sent = 0;
  while (sent < bytes.size()) {
    const ssize_t n = send(socket, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
    if (n <= 0)
      return false;
    sent += static_cast<size_t>(n);
  }
  return true;
}

} // namespace

std::string HttpRequest::Header(std::string_view name) const {
  for (const auto& [key, value] : Headers)
    if (key.size() == name.size() && strncasecmp(key.c_str(), name.data(), name.size()) == 0)
      return value;
  return std::string();
}

LoopbackServer::LoopbackServer(HttpHandler handler) : LoopbackServer(std::move(handler), {}) {}

LoopbackServer::LoopbackServer(HttpStreamer streamer) : LoopbackServer({}, std::move(streamer)) {}

LoopbackServer::LoopbackServer(HttpHandler handler, HttpStreamer streamer)
    : Handler(std::move(handler)), Streamer(std::move(streamer)) {
  Listener = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = 0;
  socklen_t length = sizeof address;
  if (Listener < 0 || bind(Listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      listen(Listener, 16) != 0 ||
      getsockname(Listener, reinterpret_cast<sockaddr*>(&address), &length) != 0)
    throw std::runtime_error("loopback server: cannot listen");
  BoundPort = ntohs(address.sin_port);
  Acceptor = std::thread([this] { AcceptLoop(); });
}

LoopbackServer::~LoopbackServer() {
  Stopping = true;
  Acceptor.join();
  for (std::thread& connection : Connections)
    connection.join();
  close(Listener);
}

std::string LoopbackServer::Url(const std::string& path) const {
  return "http://127.0.0.1:" + std::to_string(BoundPort) + path;
}

std::vector<HttpRequest> LoopbackServer::Requests() const {
  std::lock_guard lock(Mutex);
  return Received;
}

bool LoopbackServer::WaitReadable(int socket) const {
  pollfd entry{socket, POLLIN, 0};
  while (!Stopping) {
    if (poll(&entry, 1, 50) > 0)
      return true;
  }
  return false;
}

void LoopbackServer::AcceptLoop() {
  while (WaitReadable(Listener)) {
    const int connection = accept4(Listener, nullptr, nullptr, SOCK_CLOEXEC);
    if (connection < 0)
      continue;
    std::lock_guard lock(Mutex);
    Connections.emplace_back([this, connection] { Serve(connection); });
  }
}

void LoopbackServer::Serve(int socket) {
  std::string buffer;
  char chunk[65536];
  bool open = true;
  while (open && WaitReadable(socket)) {
    const ssize_t n = recv(socket, chunk, sizeof chunk, 0);
    if (n <= 0)
      break;
    buffer.append(chunk, static_cast<size_t>(n));
    size_t end;
    while (open && (end = buffer.find("\r\n\r\n")) != std::string::npos) {
      const HttpRequest request = ParseRequest(buffer.substr(0, end + 2));
      buffer.erase(0, end + 4);
      {
        std::lock_guard lock(Mutex);
        Received.push_back(request);
      }
      if (Streamer) {
        Streamer(request, [&](const std::string& bytes) { return !Stopping && SendAll(socket, bytes); });
        open = false;
        continue;
      }
      const std::optional<std::string> response = Handler(request);
      if (!response) {
        while (!Stopping)
          std::this_thread::sleep_for(std::chrono::milliseconds(20));
        open = false;
      } else if (response->empty()) {
        const linger reset{1, 0};
        setsockopt(socket, SOL_SOCKET, SO_LINGER, &reset, sizeof reset);
        open = false;
      } else {
        open = SendAll(socket, *response) &&
               strcasecmp(request.Header("Connection").c_str(), "close") != 0;
      }
    }
  }
  close(socket);
}

std::string HttpResponse(int status, const std::string& reason, const std::string& body,
                         const std::string& extraHeaders) {
  return "HTTP/1.1 " + std::to_string(status) + " " + reason + "\r\n" +
         "Content-Length: " + std::to_string(body.size()) + "\r\n" + extraHeaders + "\r\n" + body;
}
