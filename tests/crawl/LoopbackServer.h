#pragma once

#include <atomic>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

struct HttpRequest {
  std::string Method;
  std::string Target;
  std::vector<std::pair<std::string, std::string>> Headers;

  // The value of a header, "" when absent; the name without regard to case.
  std::string Header(std::string_view name) const;
};

// What the server sends back: the raw response bytes, nothing to keep the
// connection open without ever answering, or an empty text to reset it.
using HttpHandler = std::function<std::optional<std::string>(const HttpRequest&)>;

// Writes the response itself, piece by piece, through send; send returns false once
// the client is gone or the server stops. The connection closes when it returns.
using HttpSender = std::function<bool(const std::string&)>;
using HttpStreamer = std::function<void(const HttpRequest&, const HttpSender& send)>;

// A small HTTP/1.1 server on 127.0.0.1 and a free port, each connection on its own
// thread, keep-alive honoured. It records every request and stops in its destructor.
class LoopbackServer {
public:
  explicit LoopbackServer(HttpHandler handler);
  explicit LoopbackServer(HttpStreamer streamer);
  ~LoopbackServer();
  LoopbackServer(const LoopbackServer&) = delete;
  LoopbackServer& operator=(const LoopbackServer&) = delete;

  int Port() const { return BoundPort; }
  std::string Url(const std::string& path) const;
  std::vector<HttpRequest> Requests() const;

private:
  LoopbackServer(HttpHandler handler, HttpStreamer streamer);

  void AcceptLoop();
  void Serve(int socket);
  bool WaitReadable(int socket) const;

  HttpHandler Handler;
  HttpStreamer Streamer;
  int Listener = -1;
  int BoundPort = 0;
  std::atomic<bool> Stopping{false};
  mutable std::mutex Mutex;
  std::vector<HttpRequest> Received;
  std::vector<std::thread> Connections;
  std::thread Acceptor;
};

// A complete response with Content-Length; extraHeaders are whole lines ending in CRLF.
std::string HttpResponse(int status, const std::string& reason, const std::string& body,
                         const std::string& extraHeaders = "");
