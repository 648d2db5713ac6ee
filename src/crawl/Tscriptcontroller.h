#pragma once

#include "crawl/Tscriptwatchdog.h"

#include <QStringList>

#include <chrono>
#include <memory>
#include <string>

class QJSEngine;
class QJSValue;

// Runs a blog type's script: loads it, calls its functions with argument source
// text and records the last error as line, column and description. Scripts see the
// language only: no files, network or processes.
class TScriptController {
public:
  TScriptController();
  ~TScriptController();
  TScriptController(const TScriptController&) = delete;
  TScriptController& operator=(const TScriptController&) = delete;

  // Replaces whatever was loaded before. "JScript", "JavaScript" and "ECMAScript"
  // (any case) are understood; another language throws std::runtime_error. A
  // compile error is recorded, not thrown.
  void LoadScript(const std::string& language, const std::string& code);
  // Evaluates functionName(argumentText). A script error is recorded and gives "";
  // undefined and null give "", other values their script text form.
  std::string Call(const std::string& functionName, const std::string& argumentText);

  bool HasError() const { return ErrorOccurred; }
  // "line,column:description" while HasError(), else "".
  std::string GetErrorText() const;

  // Applies to every later LoadScript and Call; a script running longer is stopped
  // and recorded as an error.
  void SetTimeLimit(std::chrono::milliseconds limit) { TimeLimit = limit; }

private:
  // Calls the global function of that name on the argument as the call expression
  // would, errors and their places included, without compiling the expression,
  // which costs several times a short call. False when the name is no function.
  bool CallDirectly(const QString& name, const QJSValue& argument, QJSValue& value);
  QJSValue Evaluate(const QString& source, const QString& fileName);
  void RecordError(const QJSValue& error, const QStringList& stack);
  void RecordTimeOut();

  std::unique_ptr<QJSEngine> Control;
  // Held for the engine's life: while one handle lives, the engine keeps its page of
  // handles instead of mapping and unmapping one on every call.
  std::unique_ptr<QJSValue> Global;
  // The last argument as a script string: the parsers hand the same page to
  // several functions, and each copy into the engine's heap brings its collection
  // nearer.
  std::string ArgumentText;
  std::unique_ptr<QJSValue> Argument;
  int ErrorLine = 0;
  int ErrorColumn = 0;
  std::string ErrorDescription;
  bool ErrorOccurred = false;
  std::chrono::milliseconds TimeLimit{30000};
  TScriptWatchdog Watchdog;
};

// A script string literal (double quotes) whose value is text, UTF-8 in and out.
std::string QuoteScriptString(const std::string& text);
