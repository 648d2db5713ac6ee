#pragma once

#include <QJSValue>
#include <QStringList>

#include <memory>
#include <string>

class QJSEngine;

// The script engine as tocwerk-script-host runs it: one script, its functions
// called with argument source text, the last error kept as line, column and
// description. Scripts see the language only: no files, network or processes.
class TScriptEngine {
public:
  TScriptEngine();
  ~TScriptEngine();
  TScriptEngine(const TScriptEngine&) = delete;
  TScriptEngine& operator=(const TScriptEngine&) = delete;

  // Replaces whatever was loaded before; a compile error is recorded.
  void Load(const std::string& code);
  // Evaluates functionName(argumentText, url), url left out when empty. A script
  // error is recorded and gives ""; undefined and null give "", other values their
  // script text form.
  std::string Call(const std::string& functionName, const std::string& argumentText,
                   const std::string& url = std::string());
  // Whether the loaded script defines a function of that name.
  bool HasFunction(const std::string& name) const;

  // Frees what earlier calls left behind, as the engine would in the middle of a
  // later call once enough has piled up.
  void CollectGarbage();

  bool HasError() const { return ErrorOccurred; }
  int GetErrorLine() const { return ErrorLine; }
  int GetErrorColumn() const { return ErrorColumn; }
  const std::string& GetErrorDescription() const { return ErrorDescription; }

private:
  // Calls the global function of that name on the argument as the call expression
  // would, errors and their places included, without compiling the expression,
  // which costs several times a short call. False when the name is no function.
  bool CallDirectly(const QString& name, const QJSValueList& arguments, QJSValue& value);
  // Calls the function on Argument and the URL, directly when it can.
  void CallWithArgument(const QString& name, const QString& url, QJSValue& value);
  QJSValue Evaluate(const QString& source, const QString& fileName);
  void ClearError();
  void RecordError(const QJSValue& error, const QStringList& stack);

  std::unique_ptr<QJSEngine> Engine;
  // The engine made at start-up serves the first script; a later one gets a fresh engine.
  bool Loaded = false;
  // Held for the engine's life: while one handle lives, the engine keeps its page of
  // handles instead of mapping and unmapping one on every call.
  std::unique_ptr<QJSValue> Global;
  // The last argument as a script string: the parsers hand the same page to
  // several functions, and each copy into the engine's heap brings its collection
  // nearer.
  std::string ArgumentText;
  // The literal Argument was made from.
  std::string ArgumentSource;
  std::unique_ptr<QJSValue> Argument;
  int ErrorLine = 0;
  int ErrorColumn = 0;
  std::string ErrorDescription;
  bool ErrorOccurred = false;
};
