#include "SampleServer.h"

#include "SampleHttp.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <stdexcept>

namespace {

// A client that sends nothing for this long loses its connection.
constexpr int IdleTimeoutMs = 60000;
// A request head longer than this is refused.
constexpr size_t MaxHeadSize = 64 * 1024;

std::runtime_error SystemError(const std::string& what) {
  return std::runtime_error(what + ": " + std::strerror(errno));
}

bool SendAll(int socket, const std::string& bytes) {
  size_t sent = 0;
  while (sent < bytes.size()) {
    const ssize_t count = send(socket, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
    if (count < 0 && errno == EINTR)
      continue;
    if (count <= 0)
      return false;
    sent += static_cast<size_t>(count);
  }
  return true;
}

std::optional<std::string> ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in)
    return std::nullopt;
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

std::string StatusPage(int status, const std::string& reason) {
  const std::string line = std::to_string(status) + " " + reason;
  return "<!DOCTYPE html>\n<html><head><title>" + line + "</title></head><body><h1>" + line +
         "</h1></body></html>\n";
}

} // namespace

TSampleServer::TSampleServer(TSampleServerOptions options) : Options(std::move(options)) {
  std::error_code error;
  const std::filesystem::path root = std::filesystem::canonical(Options.Folder, error);
  if (error || !std::filesystem::is_directory(root))
    throw std::runtime_error("no such folder: " + Options.Folder);
  Root = root.string();
  if (Options.Port < 0 || Options.Port > 65535)
    throw std::runtime_error("port out of range: " + std::to_string(Options.Port));

  if (pipe2(StopPipe, O_CLOEXEC) != 0)
    throw SystemError("pipe");
  Listener = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (Listener < 0) {
    const auto failure = SystemError("socket");
    close(StopPipe[0]);
    close(StopPipe[1]);
    throw failure;
  }
  const int yes = 1;
  setsockopt(Listener, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(static_cast<uint16_t>(Options.Port));
  socklen_t length = sizeof address;
  if (bind(Listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      listen(Listener, 128) != 0 ||
      getsockname(Listener, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    const auto failure = SystemError("cannot listen on 127.0.0.1:" + std::to_string(Options.Port));
    close(Listener);
    close(StopPipe[0]);
    close(StopPipe[1]);
    throw failure;
  }
  BoundPort = ntohs(address.sin_port);
  Acceptor = std::thread(&TSampleServer::AcceptLoop, this);
}

TSampleServer::~TSampleServer() {
  Stop();
  close(Listener);
  close(StopPipe[0]);
  close(StopPipe[1]);
}

void TSampleServer::Stop() {
  {
    std::lock_guard<std::mutex> lock(StopMutex);
    if (Stopped)
      return;
    Stopped = true;
  }
  const char byte = 0;
  while (write(StopPipe[1], &byte, 1) < 0 && errno == EINTR) {
  }
  Acceptor.join();
  for (Connection& connection : Connections)
    connection.Thread.join();
  Connections.clear();
}

void TSampleServer::AcceptLoop() {
  for (;;) {
    pollfd fds[2] = {{Listener, POLLIN, 0}, {StopPipe[0], POLLIN, 0}};
    if (poll(fds, 2, -1) < 0) {
      if (errno == EINTR)
        continue;
      return;
    }
    if (fds[1].revents != 0)
      return;
    const int client = accept4(Listener, nullptr, nullptr, SOCK_CLOEXEC);
    if (client < 0)
      continue;
    const int yes = 1;
    setsockopt(client, IPPROTO_TCP, TCP_NODELAY, &yes, sizeof yes);
    ReapFinished();
    Connection& connection = Connections.emplace_back();
    connection.Thread = std::thread([this, client, &connection] {
      Serve(client);
      close(client);
      connection.Done = true;
    });
  }
}

void TSampleServer::ReapFinished() {
  for (auto it = Connections.begin(); it != Connections.end();) {
    if (it->Done) {
      it->Thread.join();
      it = Connections.erase(it);
    } else {
      ++it;
    }
  }
}

bool TSampleServer::WaitReadable(int socket) const {
  for (;;) {
    pollfd fds[2] = {{socket, POLLIN, 0}, {StopPipe[0], POLLIN, 0}};
    const int ready = poll(fds, 2, IdleTimeoutMs);
    if (ready < 0 && errno == EINTR)
      continue;
    return ready > 0 && fds[1].revents == 0;
  }
}

bool TSampleServer::WaitDelay() const {
  if (Options.Delay.count() <= 0)
    return true;
  pollfd stop = {StopPipe[0], POLLIN, 0};
  return poll(&stop, 1, static_cast<int>(Options.Delay.count())) == 0;
}

void TSampleServer::Serve(int socket) {
  std::string buffer;
  char chunk[16384];
  for (;;) {
    const size_t end = buffer.find("\r\n\r\n");
    if (end == std::string::npos) {
      if (buffer.size() > MaxHeadSize || !WaitReadable(socket))
        return;
      const ssize_t count = recv(socket, chunk, sizeof chunk, 0);
      if (count < 0 && errno == EINTR)
        continue;
      if (count <= 0)
        return;
      buffer.append(chunk, static_cast<size_t>(count));
      continue;
    }
    const std::string head = buffer.substr(0, end);
    buffer.erase(0, end + 4);
    bool keepAlive = false;
    const std::string response = Respond(head, keepAlive);
    if (!WaitDelay() || !SendAll(socket, response) || !keepAlive)
      return;
  }
}

std::string TSampleServer::Respond(const std::string& head, bool& keepAlive) const {
  const std::optional<TSampleRequest> request = ParseSampleRequest(head);
  if (!request) {
    keepAlive = false;
    return MakeSampleResponse(400, "Bad Request", "text/html", StatusPage(400, "Bad Request"), "",
                              false);
  }
  keepAlive = request->KeepAlive();
  // Requests carry no body here; one that announces a body cannot be followed safely.
  if (!request->Header("Content-Length").empty() || !request->Header("Transfer-Encoding").empty())
    keepAlive = false;
  const bool headOnly = request->Method == "HEAD";
  if (request->Method != "GET" && !headOnly)
    return MakeSampleResponse(405, "Method Not Allowed", "text/html",
                              StatusPage(405, "Method Not Allowed"), "Allow: GET, HEAD\r\n",
                              keepAlive);

  const std::optional<std::string> file = ResolveSampleTarget(Root, request->Target);
  const std::optional<std::string> body = file ? ReadWholeFile(*file) : std::nullopt;
  if (!body)
    return MakeSampleResponse(404, "Not Found", "text/html", StatusPage(404, "Not Found"), "",
                              keepAlive, headOnly);

  const bool isTop = *file == Root + "/index.html";
  std::string extraHeaders;
  if (Options.RequireCookie) {
    if (isTop)
      extraHeaders = std::string("Set-Cookie: ") + CookieName + "=" + CookieValue + "; Path=/\r\n";
    else if (request->Cookie(CookieName) != std::string(CookieValue))
      return MakeSampleResponse(403, "Forbidden", "text/html", StatusPage(403, "Forbidden"), "",
                                keepAlive, headOnly);
  }
  return MakeSampleResponse(200, "OK", SampleContentType(*file), *body, extraHeaders, keepAlive,
                            headOnly);
}
