#pragma once

#include "SampleBlog.h"
#include "ServerProcess.h"
#include "support/TempFolder.h"

#include <QProcess>

#include <functional>
#include <memory>
#include <string>
#include <vector>

// One run of the real tocwerk-cli.
struct CliResult {
  int Status = -1;
  std::string Out;
  std::string Err;
};

// Runs tocwerk-cli with a connection settings file of its own (no proxy, no wait).
CliResult RunCli(const std::vector<std::string>& arguments, const std::string& configFile);

// Starts tocwerk-cli in the background, for tests that signal it; prepare may set
// up the process before it starts.
std::unique_ptr<QProcess> StartCli(const std::vector<std::string>& arguments, const std::string& configFile,
                                   const std::function<void(QProcess&)>& prepare = {});

std::vector<std::string> SplitLines(const std::string& text);

// A sample blog served on loopback, with a folder for projects and output.
class ServedBlog {
public:
  explicit ServedBlog(TSampleBlogOptions options, const std::vector<std::string>& serverOptions = {});

  // Writes the blog again with more entries; the server picks the new files up.
  void Grow(int entries);
  std::string Url(const std::string& path) const { return Server->Url(path); }
  // "init PROJECT" with the bundled blog type, the top page and every category.
  CliResult Init(const std::string& project) const;
  CliResult Cli(const std::vector<std::string>& arguments) const { return RunCli(arguments, Config); }

  TempFolder Folder;
  TSampleBlogOptions Options;
  std::string Config;
  std::unique_ptr<ServerProcess> Server;
};
