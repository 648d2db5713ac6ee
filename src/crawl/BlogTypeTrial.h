#pragma once

#include "crawl/Tblogconfig.h"
#include "crawl/Tfetchedpage.h"
#include "script/Tscriptlimits.h"

#include <atomic>
#include <chrono>
#include <optional>
#include <string>
#include <vector>

// A script error: the line it names (0 when it names none) and what went wrong.
struct TScriptFault {
  int Line = 0;
  std::string Message;
};

// One function of a blog type's script, called on the page.
struct TTrialCall {
  std::string Function;
  // What it returned, every control character but line breaks and tabs shown as U+FFFD.
  std::string Result;
  long long Milliseconds = 0;
  std::optional<TScriptFault> Error;
  // GetDate only: the date as the entry crawl reads it, or "読めません".
  std::string Date;
  // The addresses the crawls would follow from the result, made absolute.
  std::vector<std::string> Addresses;
};

struct TTrialReport {
  // The page's address after redirects.
  std::string Url;
  // Set when the script does not load; then no function is called.
  std::optional<TScriptFault> LoadError;
  std::vector<TTrialCall> Calls;

  bool HasErrors() const;
};

// A blog type's script tried on one page, for its author: the page is fetched
// once, and each function the script defines is called on it, one's error
// stopping none of the others.
class BlogTypeTrial {
public:
  void SetHttpTimeLimits(std::chrono::milliseconds connect, std::chrono::milliseconds idle);
  void SetScriptTimeLimit(std::chrono::milliseconds limit) { ScriptLimits.Time = limit; }
  // May be called from any thread; stops a request or a script in flight.
  void Cancel() { Canceled = true; }

  // Throws std::runtime_error when the page cannot be read, the script cannot be
  // run at all, or on Cancel.
  TTrialReport Run(const TBlogConfig& blogType, const std::string& url);

private:
  std::atomic<bool> Canceled{false};
  TFetchedPage Page{&Canceled};
  TScriptLimits ScriptLimits{std::chrono::milliseconds(30000), &Canceled};
};

// The functions a blog type's script may define, in the order the trial calls them.
const std::vector<std::string>& TrialFunctions();
// "line,column:description" as the script controller gives it.
TScriptFault ParseScriptFault(const std::string& errorText);
