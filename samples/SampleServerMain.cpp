// tocwerk-sample-server: serves a sample blog folder on 127.0.0.1 until SIGTERM or
// SIGINT, printing the port it listens on.
#include "SampleServer.h"

#include <csignal>
#include <exception>
#include <iostream>
#include <stdexcept>
#include <string>

namespace {

const char* const Usage =
    "usage: tocwerk-sample-server [options] FOLDER\n"
    "  --port N           port on 127.0.0.1 (default 0: a free port)\n"
    "  --require-cookie   pages other than the top page answer 403 without the\n"
    "                     cookie that the top page sets\n"
    "  --delay MS         wait MS milliseconds before each response\n"
    "Prints the port on standard output, then serves until SIGTERM or SIGINT.\n";

int ParseNumber(const std::string& option, const std::string& text, int limit) {
  size_t used = 0;
  int value = -1;
  try {
    value = std::stoi(text, &used);
  } catch (const std::exception&) {
    used = 0;
  }
  if (used != text.size() || value < 0 || value > limit)
    throw std::invalid_argument(option + " needs a whole number from 0 to " +
                                std::to_string(limit) + ": " + text);
  return value;
}

} // namespace

int main(int argc, char** argv) {
  TSampleServerOptions options;
  try {
    for (int i = 1; i < argc; ++i) {
      const std::string argument = argv[i];
      if (argument == "--help" || argument == "-h") {
        std::cout << Usage;
        return 0;
      }
      if ((argument == "--port" || argument == "--delay") && i + 1 >= argc)
        throw std::invalid_argument(argument + " needs a value");
      if (argument == "--port")
        options.Port = ParseNumber(argument, argv[++i], 65535);
      else if (argument == "--delay")
        options.Delay = std::chrono::milliseconds(ParseNumber(argument, argv[++i], 600000));
      else if (argument == "--require-cookie")
        options.RequireCookie = true;
      else if (argument.starts_with("-") || !options.Folder.empty())
        throw std::invalid_argument("unexpected argument: " + argument);
      else
        options.Folder = argument;
    }
    if (options.Folder.empty())
      throw std::invalid_argument("no folder given");
  } catch (const std::exception& error) {
    std::cerr << "tocwerk-sample-server: " << error.what() << "\n" << Usage;
    return 2;
  }

  // Blocked here, so every thread inherits the mask and only sigwait sees them.
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGTERM);
  sigaddset(&signals, SIGINT);
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);

  try {
    TSampleServer server(options);
    std::cout << server.Port() << std::endl;
    int received = 0;
    sigwait(&signals, &received);
    server.Stop();
  } catch (const std::exception& error) {
    std::cerr << "tocwerk-sample-server: " << error.what() << "\n";
    return 1;
  }
  return 0;
}
