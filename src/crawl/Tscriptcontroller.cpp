#include "crawl/Tscriptcontroller.h"

#include <QJSEngine>
#include <QJSManagedValue>
#include <QStringList>

#include <array>
#include <optional>
#include <stdexcept>
#include <string_view>

namespace {

const QString ScriptFileName = QStringLiteral("script");
const QString CallFileName = QStringLiteral("call");
const QString ArgumentName = QStringLiteral("__tocwerkArgument");

bool IsKnownLanguage(const std::string& language) {
  const QString name = QString::fromStdString(language);
  for (const char16_t* known : {u"JScript", u"JavaScript", u"ECMAScript"})
    if (name.compare(QString::fromUtf16(known), Qt::CaseInsensitive) == 0)
      return true;
  return false;
}

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

// The bytes that quoting escapes, and the lead byte of U+2028 and U+2029.
bool IsSpecial(char c) {
  static const std::array<bool, 256> table = [] {
    std::array<bool, 256> special{};
    for (unsigned char b : {'\\', '\r', '\n', '"', '\xE2'})
      special[b] = true;
    return special;
  }();
  return table[static_cast<unsigned char>(c)];
}

// The value of a literal as QuoteScriptString writes it; nothing for any other
// source. Handing that value over directly spares the engine from parsing a whole
// page as source text, and the function receives exactly the same string.
std::optional<std::string> UnquoteLiteral(const std::string& source) {
  if (source.size() < 2 || source.front() != '"' || source.back() != '"')
    return std::nullopt;
  std::string text;
  text.reserve(source.size());
  const char* p = source.data() + 1;
  const char* const end = source.data() + source.size() - 1;
  while (p < end) {
    const char* run = p;
    while (p < end && !IsSpecial(*p))
      ++p;
    text.append(run, p);
    if (p == end)
      break;
    if (*p == '\xE2') {
      if (end - p >= 3 && p[1] == '\x80' && (p[2] == '\xA8' || p[2] == '\xA9'))
        return std::nullopt;
      text += *p++;
      continue;
    }
    if (*p != '\\' || end - p < 2)
      return std::nullopt;
    const std::string_view escape(p, std::min<ptrdiff_t>(end - p, 6));
    if (p[1] == '\\' || p[1] == '"') {
      text += p[1];
      p += 2;
    } else if (p[1] == 'n') {
      text += '\n';
      p += 2;
    } else if (escape == "\\u2028" || escape == "\\u2029") {
      text += escape == "\\u2028" ? "\xE2\x80\xA8" : "\xE2\x80\xA9";
      p += 6;
    } else {
      return std::nullopt;
    }
  }
  return text;
}

} // namespace

TScriptController::TScriptController() = default;

TScriptController::~TScriptController() = default;

void TScriptController::LoadScript(const std::string& language, const std::string& code) {
  if (!IsKnownLanguage(language))
    throw std::runtime_error("スクリプト言語「" + language + "」には対応していません。");
  Global.reset();  // before the engine they belong to
  Argument.reset();
  Control = std::make_unique<QJSEngine>();
  Global = std::make_unique<QJSValue>(Control->globalObject());
  Evaluate(QString::fromStdString(code), ScriptFileName);
}

std::string TScriptController::Call(const std::string& functionName,
                                    const std::string& argumentText) {
  ErrorLine = 0;
  ErrorColumn = 0;
  ErrorDescription.clear();
  ErrorOccurred = false;
  if (!Control)
    throw std::runtime_error("スクリプトが読み込まれていません。");
  QJSValue value;
  if (const std::optional<std::string> text = UnquoteLiteral(argumentText)) {
    const QString name = QString::fromStdString(functionName);
    if (!Argument || *text != ArgumentText) {
      ArgumentText = *text;
      Argument = std::make_unique<QJSValue>(Control->toScriptValue(QString::fromStdString(*text)));
    }
    if (!CallDirectly(name, *Argument, value)) {
      Global->setProperty(ArgumentName, *Argument);
      value = Evaluate(name + u'(' + ArgumentName + u')', CallFileName);
      Global->deleteProperty(ArgumentName);
    }
  } else {
    value = Evaluate(QString::fromStdString(functionName + "(" + argumentText + ")"), CallFileName);
  }
  if (ErrorOccurred || value.isUndefined() || value.isNull())
    return std::string();
  return value.toString().toStdString();
}

std::string TScriptController::GetErrorText() const {
  if (!ErrorOccurred)
    return std::string();
  return std::to_string(ErrorLine) + "," + std::to_string(ErrorColumn) + ":" + ErrorDescription;
}

bool TScriptController::CallDirectly(const QString& name, const QJSValue& argument, QJSValue& value) {
  const QJSManagedValue function(Global->property(name), Control.get());
  if (!function.isFunction())
    return false;
  Watchdog.Arm(Control.get(), TimeLimit);
  // An undefined this, as in a plain call expression.
  value = function.callWithInstance(QJSValue(), {argument});
  const bool timedOut = Watchdog.Disarm();
  if (Control->hasError()) {
    // Evaluating nothing while the exception is pending hands it over with the
    // stack it was thrown with. That stack lacks only the call expression's frame,
    // which counts only when the function has none either (a built-in one), so
    // that frame is put back then.
    QStringList stack;
    value = Control->evaluate(QString(), CallFileName, 1, &stack);
    if (!timedOut)
      RecordError(value, stack.isEmpty() ? QStringList{u"%entry:1:0:" + CallFileName} : stack);
  }
  if (timedOut) {
    Control->setInterrupted(false);
    RecordTimeOut();
  }
  return true;
}

QJSValue TScriptController::Evaluate(const QString& source, const QString& fileName) {
  QStringList stack;
  Watchdog.Arm(Control.get(), TimeLimit);
  const QJSValue value = Control->evaluate(source, fileName, 1, &stack);
  if (Watchdog.Disarm()) {
    Control->setInterrupted(false);
    RecordTimeOut();
  } else if (!stack.isEmpty()) {
    RecordError(value, stack);
  }
  return value;
}

void TScriptController::RecordError(const QJSValue& error, const QStringList& stack) {
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

void TScriptController::RecordTimeOut() {
  ErrorLine = 0;
  ErrorColumn = 0;
  ErrorDescription = "スクリプトが制限時間(" + std::to_string(TimeLimit.count()) +
                     "ミリ秒)を超えたため中断しました。";
  ErrorOccurred = true;
}

std::string QuoteScriptString(const std::string& text) {
  std::string quoted;
  quoted.reserve(text.size() + text.size() / 16 + 2);
  quoted += '"';
  const char* p = text.data();
  const char* const end = p + text.size();
  while (p < end) {
    const char* run = p;
    while (p < end && !IsSpecial(*p))
      ++p;
    quoted.append(run, p);
    if (p == end)
      break;
    switch (*p) {
    case '\\':
      quoted += "\\\\";
      break;
    case '\r':
      if (p + 1 < end && p[1] == '\n')
        ++p;
      quoted += "\\n";
      break;
    case '\n':
      quoted += "\\n";
      break;
    case '"':
      quoted += "\\\"";
      break;
    default:
      // U+2028 and U+2029 end a line inside the engine's string literals.
      if (end - p >= 3 && p[1] == '\x80' && (p[2] == '\xA8' || p[2] == '\xA9')) {
        quoted += p[2] == '\xA8' ? "\\u2028" : "\\u2029";
        p += 2;
      } else {
        quoted += *p;
      }
    }
    ++p;
  }
  quoted += '"';
  return quoted;
}
