// Writes its arguments, whether its first argument is a file, and its working
// folder, one a line, into the file named by its second argument. Then writes
// TOC_RECORDER_MESSAGE (else "recorded") to standard error and exits with the
// status in TOC_RECORDER_STATUS, or kills itself when TOC_RECORDER_CRASH is set.
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <unistd.h>

int main(int argc, char** argv) {
  if (argc < 3)
    return 100;
  char folder[4096] = {};
  if (!getcwd(folder, sizeof folder))
    return 101;
  {
    std::ofstream out(argv[2], std::ios::binary);
    out << "argc=" << argc << "\n";
    for (int i = 1; i < argc; ++i)
      out << argv[i] << "\n";
    std::error_code error;
    out << (std::filesystem::is_regular_file(argv[1], error) ? "database" : "no database") << "\n";
    out << folder << "\n";
  }
  const char* message = std::getenv("TOC_RECORDER_MESSAGE");
  std::cerr << (message ? message : "recorded") << "\n" << std::flush;
  if (std::getenv("TOC_RECORDER_CRASH"))
    raise(SIGKILL);
  const char* status = std::getenv("TOC_RECORDER_STATUS");
  return status ? std::atoi(status) : 0;
}
