#include "ServerProcess.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <stdexcept>
#include <thread>

namespace {

struct Child {
  int Pid;
  int Output;
};

Child Spawn(const std::vector<std::string>& arguments, bool mergeErrors) {
  int pipeFds[2];
  if (pipe2(pipeFds, O_CLOEXEC) != 0)
    throw std::runtime_error("pipe failed");
  const pid_t pid = fork();
  if (pid < 0)
    throw std::runtime_error("fork failed");
  if (pid == 0) {
    dup2(pipeFds[1], STDOUT_FILENO);
    if (mergeErrors)
      dup2(pipeFds[1], STDERR_FILENO);
    std::vector<char*> argv;
    for (const std::string& argument : arguments)
      argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    execv(argv[0], argv.data());
    _exit(127);
  }
  close(pipeFds[1]);
  return {pid, pipeFds[0]};
}

// Reads until end of file or the deadline.
std::string ReadUntil(int fd, std::chrono::steady_clock::time_point deadline, bool lineOnly) {
  std::string text;
  char buffer[4096];
  while (std::chrono::steady_clock::now() < deadline) {
    if (lineOnly && text.find('\n') != std::string::npos)
      break;
    pollfd readable = {fd, POLLIN, 0};
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (poll(&readable, 1, static_cast<int>(std::max<long>(left.count(), 0))) <= 0)
      break;
    const ssize_t count = read(fd, buffer, sizeof buffer);
    if (count <= 0)
      break;
    text.append(buffer, static_cast<size_t>(count));
  }
  return text;
}

int WaitExit(int pid, int timeoutMs) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    int status = 0;
    if (waitpid(pid, &status, WNOHANG) == pid)
      return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    if (std::chrono::steady_clock::now() > deadline)
      return -2;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
}

} // namespace

ServerProcess::ServerProcess(const std::vector<std::string>& arguments) {
  const Child child = Spawn(arguments, false);
  Pid = child.Pid;
  const std::string line =
      ReadUntil(child.Output, std::chrono::steady_clock::now() + std::chrono::seconds(10), true);
  close(child.Output);
  try {
    ListenPort = std::stoi(line);
  } catch (const std::exception&) {
    Signal(SIGKILL, 5000);
    throw std::runtime_error("the server printed no port: \"" + line + "\"");
  }
}

ServerProcess::~ServerProcess() {
  if (Pid > 0 && Signal(SIGTERM, 5000) == -2)
    Signal(SIGKILL, 5000);
}

std::string ServerProcess::Url(const std::string& path) const {
  return "http://127.0.0.1:" + std::to_string(ListenPort) + path;
}

int ServerProcess::Signal(int signal, int timeoutMs) {
  if (Pid <= 0)
    return -1;
  kill(Pid, signal);
  const int status = WaitExit(Pid, timeoutMs);
  if (status != -2)
    Pid = -1;
  return status;
}

ProgramResult RunProgram(const std::vector<std::string>& arguments) {
  const Child child = Spawn(arguments, true);
  ProgramResult result;
  result.Output =
      ReadUntil(child.Output, std::chrono::steady_clock::now() + std::chrono::seconds(60), false);
  close(child.Output);
  result.Status = WaitExit(child.Pid, 10000);
  if (result.Status == -2) {
    kill(child.Pid, SIGKILL);
    WaitExit(child.Pid, 5000);
  }
  return result;
}

std::string RawExchange(int port, const std::string& request) {
  const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(static_cast<uint16_t>(port));
  if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    close(fd);
    return "";
  }
  send(fd, request.data(), request.size(), MSG_NOSIGNAL);
  std::string response;
  char buffer[4096];
  for (;;) {
    pollfd readable = {fd, POLLIN, 0};
    if (poll(&readable, 1, 1000) <= 0)
      break;
    const ssize_t count = recv(fd, buffer, sizeof buffer, 0);
    if (count <= 0)
      break;
    response.append(buffer, static_cast<size_t>(count));
  }
  close(fd);
  return response;
}
