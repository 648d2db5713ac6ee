#pragma once

#include "script/Tscriptcontroller.h"

#include <chrono>
#include <string>

// What the blog type's script found on one entry page.
struct TParsedEntry {
  std::string Date;
  std::string Title;
  std::string NextUrl;
};

// The entry crawl's side of the blog type's script. Each call throws
// std::runtime_error with "line,column:description" when the script fails.
class TEntryParser {
public:
  // Throws std::runtime_error with "line,column:description" when the script does
  // not load.
  void LoadScript(const std::string& language, const std::string& code);
  // The time limit and the cancel flag of every later call.
  void SetTimeLimit(const TScriptLimits& limits) { Controller.SetLimits(limits); }
  void SetBlogTypeName(const std::string& name) { Controller.SetBlogTypeName(name); }

  std::string GetRecentEntry(const std::string& page);
  std::string GetDate(const std::string& page);
  // Trimmed of blanks and control characters at both ends.
  std::string GetTitle(const std::string& page);
  std::string GetNextUrl(const std::string& page);
  // GetDate, GetTitle, GetNextUrl on the same page, in this order.
  TParsedEntry Parse(const std::string& page);

  bool HasError() const { return Controller.HasError(); }
  std::string GetErrorText() const { return Controller.GetErrorText(); }

private:
  std::string CallScript(const char* function, const std::string& page);

  TScriptController Controller;
};

// Drops every byte below 33 from both ends (a full-width blank stays).
std::string TrimControlBytes(const std::string& text);
