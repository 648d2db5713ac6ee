// Writes its arguments and working folder, one a line, into the file named by its
// second argument; exits with the status given in TOC_RECORDER_STATUS.
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <unistd.h>

int main(int argc, char** argv) {
  if (argc < 3)
    return 100;
  char folder[4096] = {};
  if (!getcwd(folder, sizeof folder))
    return 101;
  std::ofstream out(argv[2], std::ios::binary);
  out << "argc=" << argc << "\n";
  for (int i = 1; i < argc; ++i)
    out << argv[i] << "\n";
  out << folder << "\n";
  std::cerr << "recorded\n";
  const char* status = std::getenv("TOC_RECORDER_STATUS");
  return status ? std::atoi(status) : 0;
}
