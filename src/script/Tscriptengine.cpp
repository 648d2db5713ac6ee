#include "script/Tscriptengine.h"

#include "script/ScriptHelpers.h"
#include "script/Tscriptliteral.h"

#include <QJSEngine>
#include <QJSManagedValue>

#include <algorithm>
#include <optional>

namespace {

const QString ScriptFileName = QStringLiteral("script");
const QString CallFileName = QStringLiteral("call");
const QString ArgumentName = QStringLiteral("__tocwerkArgument");
const QString UrlName = QStringLiteral("__tocwerkUrl");

struct Frame {
  int Line = 0;
  int Column = 0;
  QString File;
};

// A stack frame as the engine writes it: "function:line:column:file".
Frame ParseFrame(const QString& text) {
  const QStringList parts = text.split(u':');
  Frame frame;
  if (parts.size() < 4)
    return frame;
  frame.Line = parts[1].toInt();
  frame.Column = std::max(parts[2].toInt(), 0);
  frame.File = text.section(u':', 3);
  return frame;
}

bool IsScriptFile(const QString& file) {
  return file == ScriptFileName || file == QStringLiteral("file:script");
}

} // namespace

TScriptEngine::TScriptEngine()
    : Engine(std::make_unique<QJSEngine>()), Global(std::make_unique<QJSValue>(Engine->globalObject())) {
  InstallScriptHelpers(*Engine);
}

TScriptEngine::~TScriptEngine() {
  Global.reset();  // before the engine they belong to
  Argument.reset();
}

void TScriptEngine::Load(const std::string& code) {
  ClearError();
  if (Loaded) {
    Global.reset();
    Argument.reset();
    ArgumentSource.clear();
    Engine = std::make_unique<QJSEngine>();
    InstallScriptHelpers(*Engine);
    Global = std::make_unique<QJSValue>(Engine->globalObject());
  }
  Loaded = true;
  Evaluate(QString::fromStdString(code), ScriptFileName);
}

std::string TScriptEngine::Call(const std::string& functionName, const std::string& argumentText,
                                const std::string& url) {
  ClearError();
  QJSValue value;
  // Handing a quoted page over as a value spares the engine from parsing it as
  // source text, and the function receives exactly the same string.
  if (Argument && argumentText == ArgumentSource) {
    CallWithArgument(QString::fromStdString(functionName), QString::fromStdString(url), value);
  } else if (const std::optional<std::string> text = UnquoteScriptString(argumentText)) {
    const QString name = QString::fromStdString(functionName);
    if (!Argument || *text != ArgumentText) {
      ArgumentText = *text;
      Argument = std::make_unique<QJSValue>(Engine->toScriptValue(QString::fromStdString(*text)));
    }
    ArgumentSource = argumentText;
    CallWithArgument(name, QString::fromStdString(url), value);
  } else {
    const std::string urlArgument = url.empty() ? std::string() : ", " + QuoteScriptString(url);
    value = Evaluate(QString::fromStdString(functionName + "(" + argumentText + urlArgument + ")"),
                     CallFileName);
  }
  if (ErrorOccurred || value.isUndefined() || value.isNull())
    return std::string();
  return value.toString().toStdString();
}

void TScriptEngine::CollectGarbage() {
  Engine->collectGarbage();
}

bool TScriptEngine::HasFunction(const std::string& name) const {
  return Global->property(QString::fromStdString(name)).isCallable();
}

void TScriptEngine::CallWithArgument(const QString& name, const QString& url, QJSValue& value) {
  QJSValueList arguments{*Argument};
  if (!url.isEmpty())
    arguments.append(QJSValue(url));
  if (CallDirectly(name, arguments, value))
    return;
  Global->setProperty(ArgumentName, *Argument);
  QString call = name + u'(' + ArgumentName;
  if (!url.isEmpty()) {
    Global->setProperty(UrlName, QJSValue(url));
    call += u", " + UrlName;
  }
  value = Evaluate(call + u')', CallFileName);
  Global->deleteProperty(ArgumentName);
  Global->deleteProperty(UrlName);
}

bool TScriptEngine::CallDirectly(const QString& name, const QJSValueList& arguments, QJSValue& value) {
  const QJSManagedValue function(Global->property(name), Engine.get());
  if (!function.isFunction())
    return false;
  // An undefined this, as in a plain call expression.
  value = function.callWithInstance(QJSValue(), arguments);
  if (Engine->hasError()) {
    // Evaluating nothing while the exception is pending hands it over with the
    // stack it was thrown with. That stack lacks only the call expression's frame,
    // which counts only when the function has none either (a built-in one), so
    // that frame is put back then.
    QStringList stack;
    value = Engine->evaluate(QString(), CallFileName, 1, &stack);
    RecordError(value, stack.isEmpty() ? QStringList{u"%entry:1:0:" + CallFileName} : stack);
  }
  return true;
}

QJSValue TScriptEngine::Evaluate(const QString& source, const QString& fileName) {
  QStringList stack;
  const QJSValue value = Engine->evaluate(source, fileName, 1, &stack);
  if (!stack.isEmpty())
    RecordError(value, stack);
  return value;
}

void TScriptEngine::ClearError() {
  ErrorLine = 0;
  ErrorColumn = 0;
  ErrorDescription.clear();
  ErrorOccurred = false;
}

void TScriptEngine::RecordError(const QJSValue& error, const QStringList& stack) {
  // Prefer the error's own place when it lies in the script; a call of an unknown
  // function fails in the call expression, and a thrown non-error value has no place,
  // so the innermost frame inside the script stands in.
  Frame place;
  const QJSValue lineNumber = error.property(QStringLiteral("lineNumber"));
  if (lineNumber.isNumber() && IsScriptFile(error.property(QStringLiteral("fileName")).toString())) {
    place.Line = lineNumber.toInt();
  } else {
    place = ParseFrame(stack.front());
    for (const QString& text : stack) {
      const Frame frame = ParseFrame(text);
      if (IsScriptFile(frame.File)) {
        place = frame;
        break;
      }
    }
    if (lineNumber.isNumber() && !IsScriptFile(place.File))
      place.Line = lineNumber.toInt();
  }
  if (error.isError())
    place.Column = std::max(place.Column, ParseFrame(stack.front()).Column);
  ErrorLine = place.Line;
  ErrorColumn = place.Column;
  ErrorDescription = error.toString().toStdString();
  ErrorOccurred = true;
}
