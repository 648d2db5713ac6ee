#pragma once

#include "script/Tscriptcontroller.h"

#include <chrono>
#include <string>
#include <vector>

// What the blog type's script found on one entry page.
struct TParsedEntry {
  std::string Date;
  std::string Title;
  std::string NextUrl;
};

// The entry crawl's side of the blog type's script. Each call throws
// std::runtime_error with "line,column:description" when the script fails. Every
// function gets the page and its address (after redirects) as its arguments.
class TEntryParser {
public:
  // Throws std::runtime_error with "line,column:description" when the script does
  // not load.
  void LoadScript(const std::string& language, const std::string& code);
  // The time limit and the cancel flag of every later call.
  void SetTimeLimit(const TScriptLimits& limits) { Controller.SetLimits(limits); }
  void SetBlogTypeName(const std::string& name) { Controller.SetBlogTypeName(name); }

  std::string GetRecentEntry(const std::string& page, const std::string& url = std::string());
  std::string GetDate(const std::string& page, const std::string& url = std::string());
  // Trimmed of blanks and control characters at both ends.
  std::string GetTitle(const std::string& page, const std::string& url = std::string());
  std::string GetNextUrl(const std::string& page, const std::string& url = std::string());
  // GetDate, GetTitle, GetNextUrl on the same page, in this order.
  TParsedEntry Parse(const std::string& page, const std::string& url = std::string());
  // GetDate and GetTitle: an entry read from a list needs no link to the older one.
  TParsedEntry ParseListed(const std::string& page, const std::string& url);

  // Whether the script reads the blog's lists of entries (GetEntryList) instead of
  // following the entries' links to the older ones.
  bool HasEntryList();
  // Whether the script, reading lists, also reads an entry's link to the older one
  // (GetNextUrl); known after HasEntryList.
  bool HasNextUrl() const { return HasNextUrlFunction; }
  // The entry addresses one list page holds, newest first, trimmed, blank lines left out.
  std::vector<std::string> GetEntryList(const std::string& page, const std::string& url);
  // The next, older list page; "" at the last one or when the script has no
  // GetNextEntryListUrl.
  std::string GetNextEntryListUrl(const std::string& page, const std::string& url);

  bool HasError() const { return Controller.HasError(); }
  std::string GetErrorText() const { return Controller.GetErrorText(); }

private:
  std::string CallScript(const char* function, const std::string& page, const std::string& url);

  TScriptController Controller;
  bool HasNextEntryListUrl = false;
  bool HasNextUrlFunction = false;
};

// Drops every byte below 33 from both ends (a full-width blank stays).
std::string TrimControlBytes(const std::string& text);
