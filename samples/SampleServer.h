#pragma once

#include <atomic>
#include <chrono>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

struct TSampleServerOptions {
  // The folder served; "/" is its index.html.
  std::string Folder;
  // 0 picks a free port.
  int Port = 0;
  // Every page but the top page answers 403 unless the request carries the cookie
  // that the top page sets.
  bool RequireCookie = false;
  // Waited before each response.
  std::chrono::milliseconds Delay{0};
};

// Serves a folder over HTTP/1.1 on 127.0.0.1: GET and HEAD, keep-alive, one thread per
// connection. Listens from construction until Stop() or destruction.
class TSampleServer {
public:
  static constexpr const char* CookieName = "tocwerk_sample";
  static constexpr const char* CookieValue = "visited";

  // Throws std::runtime_error when the folder is missing or the port cannot be bound.
  explicit TSampleServer(TSampleServerOptions options);
  ~TSampleServer();
  TSampleServer(const TSampleServer&) = delete;
  TSampleServer& operator=(const TSampleServer&) = delete;

  int Port() const { return BoundPort; }
  // Closes the listener and every connection, waits for their threads. Safe to call
  // more than once.
  void Stop();

private:
  struct Connection {
    std::thread Thread;
    std::atomic<bool> Done{false};
  };

  void AcceptLoop();
  void Serve(int socket);
  std::string Respond(const std::string& head, bool& keepAlive) const;
  // Waits until the socket is readable; false when the server stops or the client
  // stays silent too long.
  bool WaitReadable(int socket) const;
  // Sleeps the delay; false when the server stops meanwhile.
  bool WaitDelay() const;
  void ReapFinished();

  TSampleServerOptions Options;
  std::string Root;
  int Listener = -1;
  int BoundPort = 0;
  // Written once by Stop(); every waiting thread polls its read end.
  int StopPipe[2] = {-1, -1};
  std::mutex StopMutex;
  bool Stopped = false;
  std::list<Connection> Connections;
  std::thread Acceptor;
};
