#pragma once

#include "script/Tscriptcontroller.h"

#include <chrono>
#include <string>

// The bundled blog type's script, loaded from the built blog type folder into the
// real script engine; calls go through the same quoting as the crawls use.
class BlogTypeScript {
public:
  BlogTypeScript();

  // The function's result; a script error fails the test and gives "".
  std::string Run(const std::string& function, const std::string& page);
  // GetTitle, trimmed of bytes below 33 as the entry crawl stores it.
  std::string Title(const std::string& page);
  void SetTimeLimit(std::chrono::milliseconds limit) { Controller.SetTimeLimit(limit); }

private:
  TScriptController Controller;
};
