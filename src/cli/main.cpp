// tocwerk-cli: Tocwerk's command-line front end.
#include "cli/CliCommands.h"

#include <QCoreApplication>

#include <iostream>

int main(int argc, char** argv) {
  QCoreApplication application(argc, argv);
  return RunCli(std::vector<std::string>(argv + 1, argv + argc), std::cout, std::cerr);
}
