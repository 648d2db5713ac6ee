#pragma once

#include <string>
#include <vector>

// The real tocwerk-sample-server, started with these arguments. The constructor
// waits (bounded) for the port line; the destructor ends the process with SIGTERM,
// then SIGKILL if it does not stop in time.
class ServerProcess {
public:
  explicit ServerProcess(const std::vector<std::string>& arguments);
  ~ServerProcess();
  ServerProcess(const ServerProcess&) = delete;
  ServerProcess& operator=(const ServerProcess&) = delete;

  int Port() const { return ListenPort; }
  std::string Url(const std::string& path) const;
  // Sends the signal and waits up to timeoutMs; the exit status, or -1 when the
  // process did not end normally in time.
  int Signal(int signal, int timeoutMs);

private:
  int Pid = -1;
  int ListenPort = 0;
};

// Runs a program to its end (bounded); its exit status and standard output and
// error together.
struct ProgramResult {
  int Status = -1;
  std::string Output;
};
ProgramResult RunProgram(const std::vector<std::string>& arguments);

// Sends raw bytes to 127.0.0.1:port and returns everything read until the server
// closes the connection or stays silent for a second.
std::string RawExchange(int port, const std::string& request);
