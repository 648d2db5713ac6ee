// tocwerk-cli: Tocwerk's command-line front end.
#include "cli/CliCommands.h"

#include <QCoreApplication>

#include <csignal>
#include <iostream>

int main(int argc, char** argv) {
  // A reader that went away shows as a failed write instead of ending the program
  // before a crawl is saved or the working copy removed.
  std::signal(SIGPIPE, SIG_IGN);
  QCoreApplication application(argc, argv);
  return RunCli(std::vector<std::string>(argv + 1, argv + argc), std::cout, std::cerr);
}
