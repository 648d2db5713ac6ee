#pragma once

#include "crawl/Tblogconfig.h"
#include "toc/Ttemplatemanager.h"

#include <iosfwd>
#include <string>
#include <vector>

// What every command shares: where the program's folders are, the connection
// settings file and the two output streams.
class TCliContext {
public:
  TCliContext(std::ostream& out, std::ostream& err) : Out(out), Err(err) {}

  std::string DataDir;
  std::string ConfigFile;
  std::ostream& Out;
  std::ostream& Err;

  // "blog", "template" or "db", ending in "/".
  std::string Folder(const std::string& name) const;
  std::vector<TBlogConfig> BlogTypes() const;
  std::vector<THtmlTemplate> Templates() const;
  // Throws TUsageError listing the known names when there is none of that name.
  TBlogConfig BlogType(const std::string& name) const;
  THtmlTemplate Template(const std::string& name) const;
  // Refuses a --config file that is no regular file (a FIFO would block) or is
  // larger than a settings file can be; a missing one means the defaults.
  void CheckConfigFile() const;
  // Refuses a --data-dir that is not an existing folder: every list would be empty.
  void CheckDataDir() const;
  // Reads the connection settings file into the process-wide settings.
  void LoadConnectionSettings() const;
};
