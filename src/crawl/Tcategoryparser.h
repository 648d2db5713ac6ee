#pragma once

#include "script/Tscriptcontroller.h"

#include <chrono>
#include <string>
#include <vector>

// The category crawl's side of the blog type's script. A script error is not
// thrown: the caller asks HasError() after each call.
class TCategoryParser {
public:
  // Throws std::runtime_error with "line,column:description" when the script does
  // not load.
  void LoadScript(const std::string& language, const std::string& code);
  // The time limit and the cancel flag of every later call.
  void SetTimeLimit(const TScriptLimits& limits) { Controller.SetLimits(limits); }
  void SetBlogTypeName(const std::string& name) { Controller.SetBlogTypeName(name); }

  // The returned lines as they are: empty ones and duplicates kept, nothing trimmed.
  // Both get the page and its address (after redirects).
  std::vector<std::string> GetEntryUrl(const std::string& page, const std::string& url = std::string());
  std::string GetNextCategoryUrl(const std::string& page, const std::string& url = std::string());

  bool HasError() const { return Controller.HasError(); }
  std::string GetErrorText() const { return Controller.GetErrorText(); }

private:
  TScriptController Controller;
};
