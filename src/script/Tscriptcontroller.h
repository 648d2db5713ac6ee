#pragma once

#include "script/Tscripthostprocess.h"
#include "script/Tscriptliteral.h"
#include "script/Tscriptlimits.h"

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

// Runs a blog type's script: loads it, calls its functions with argument source
// text and records the last error as line, column and description. The script runs
// in a tocwerk-script-host process of its own, started at the first load and
// killed at the time limit or on cancel, so that no script can hang, exhaust or
// crash the program; a killed host is started again at the next call. A host lives
// no longer than the thread that started it, so a call from another thread starts
// one of its own.
class TScriptController {
public:
  TScriptController();
  ~TScriptController();
  TScriptController(const TScriptController&) = delete;
  TScriptController& operator=(const TScriptController&) = delete;

  // Replaces whatever was loaded before. "JScript", "JavaScript" and "ECMAScript"
  // (any case) are understood; another language, or a host program that cannot be
  // started, throws std::runtime_error. A compile error, a time-out and a cancel are
  // recorded, not thrown.
  void LoadScript(const std::string& language, const std::string& code);
  // Evaluates functionName(argumentText, url): url is the page's address, a second
  // argument that scripts written for one ignore; an empty one is left out. A script
  // error is recorded and gives ""; undefined and null give "", other values their
  // script text form. Throws TCanceled when the script is still running half a
  // second after the cancel flag went up.
  std::string Call(const std::string& functionName, const std::string& argumentText,
                   const std::string& url = std::string());
  // Calls each function in turn with the same arguments, each under the time limit,
  // as Call would, and stops at the first error: the values of the calls that
  // returned before it. The host runs them without waiting for this side in between.
  std::vector<std::string> CallEach(const std::vector<std::string>& functionNames,
                                    const std::string& argumentText,
                                    const std::string& url = std::string());
  // Whether the loaded script defines a function of that name; false, with the
  // reason recorded, when the host cannot tell.
  bool HasFunction(const std::string& name);

  bool HasError() const { return ErrorOccurred; }
  // "line,column:description" while HasError(), else "".
  std::string GetErrorText() const;

  // Applies to every later LoadScript and Call; a script running longer is stopped
  // and recorded as an error.
  void SetTimeLimit(std::chrono::milliseconds limit) { Limits.Time = limit; }
  void SetCancelFlag(const std::atomic<bool>* cancel) { Limits.Cancel = cancel; }
  void SetLimits(const TScriptLimits& limits) { Limits = limits; }
  // The blog type the script belongs to, named when its host process dies.
  void SetBlogTypeName(const std::string& name) { BlogTypeName = name; }

private:
  // The host's answer, or nothing when it did not give one (the reason recorded).
  std::optional<std::vector<std::string>> Request(std::vector<std::string> fields);
  // The next reply to a list of calls.
  std::optional<std::vector<std::string>> NextAnswer();
  std::optional<std::vector<std::string>> Answer(TScriptHostProcess::Outcome outcome, const std::string& body);
  // False when the host did not come up (the reason recorded).
  bool StartHost();
  // False when a host with the script loaded cannot be had (the reason recorded).
  bool EnsureLoaded();
  void ClearError();
  void RecordError(int line, int column, const std::string& description);
  void RecordDied(const std::string& reason);
  // Records why the host died, which it did, and lets it go.
  void RecordEnd();
  void KeepHostOnThisThread();

  std::unique_ptr<TScriptHostProcess> Host;
  std::thread::id HostThread;
  std::string Code;
  std::string BlogTypeName;
  // The argument of the host's last call, which it keeps.
  std::string SentArgument;
  bool Loaded = false;
  int ErrorLine = 0;
  int ErrorColumn = 0;
  std::string ErrorDescription;
  bool ErrorOccurred = false;
  TScriptLimits Limits;
};

// The tocwerk-script-host that controllers start: by default the one beside the
// running executable.
void SetScriptHostProgram(const std::string& path);
std::string GetScriptHostProgram();
