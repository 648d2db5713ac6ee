#include "script/Tscriptcontroller.h"

#include "script/Tscripthostprocess.h"
#include "script/Tscriptmessage.h"
#include "store/Tkappfolder.h"

#include <QString>

#include <charconv>
#include <mutex>
#include <stdexcept>
#include <thread>

namespace {

constexpr std::chrono::seconds HostStartLimit{30};

const char* const GarbledReply = "スクリプトの実行プロセスの応答が壊れています";

std::mutex HostProgramMutex;
std::string HostProgram;

bool IsKnownLanguage(const std::string& language) {
  const QString name = QString::fromStdString(language);
  for (const char16_t* known : {u"JScript", u"JavaScript", u"ECMAScript"})
    if (name.compare(QString::fromUtf16(known), Qt::CaseInsensitive) == 0)
      return true;
  return false;
}

bool IsLineOrColumn(const std::string& text) {
  int number = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
  return error == std::errc() && end == text.data() + text.size();
}

// The fields of a reply, or nothing when the body is not one.
std::optional<std::vector<std::string>> ParseReply(const std::string& body) {
  std::vector<std::string> fields;
  try {
    fields = DecodeScriptMessage(body);
  } catch (const std::runtime_error&) {
    return std::nullopt;
  }
  if (fields.size() != 5 || (fields[1] != "0" && fields[1] != "1") || !IsLineOrColumn(fields[2]) ||
      !IsLineOrColumn(fields[3]))
    return std::nullopt;
  return fields;
}

bool IsReady(const std::string& body) {
  try {
    return DecodeScriptMessage(body) == std::vector<std::string>{"ready"};
  } catch (const std::runtime_error&) {
    return false;
  }
}

} // namespace

void SetScriptHostProgram(const std::string& path) {
  std::lock_guard lock(HostProgramMutex);
  HostProgram = path;
}

std::string GetScriptHostProgram() {
  std::lock_guard lock(HostProgramMutex);
  return HostProgram.empty() ? GetExeFolder() + "tocwerk-script-host" : HostProgram;
}

TScriptController::TScriptController() = default;

TScriptController::~TScriptController() = default;

void TScriptController::LoadScript(const std::string& language, const std::string& code) {
  if (!IsKnownLanguage(language))
    throw std::runtime_error("スクリプト言語「" + language + "」には対応していません。");
  ClearError();
  Code = code;
  Loaded = true;
  KeepHostOnThisThread();
  try {
    Request({"load", Code});
  } catch (const TCanceled&) {
    // Loading comes before the crawl's steps that end as a cancel.
    RecordError(0, 0, "スクリプトの読み込みを中止しました。");
  }
}

std::string TScriptController::Call(const std::string& functionName,
                                    const std::string& argumentText, const std::string& url) {
  std::vector<std::string> values = CallEach({functionName}, argumentText, url);
  return values.empty() ? std::string() : std::move(values.front());
}

bool TScriptController::HasFunction(const std::string& name) {
  ClearError();
  if (!EnsureLoaded())
    return false;
  const auto answer = Request({"has", name});
  return answer && !ErrorOccurred && answer->front() == "1";
}

bool TScriptController::EnsureLoaded() {
  if (!Loaded)
    throw std::runtime_error("スクリプトが読み込まれていません。");
  KeepHostOnThisThread();
  // A host killed by an earlier call comes back with the script loaded again.
  return Host || (Request({"load", Code}) && !ErrorOccurred);
}

std::vector<std::string> TScriptController::CallEach(const std::vector<std::string>& functionNames,
                                                     const std::string& argumentText,
                                                     const std::string& url) {
  ClearError();
  if (!EnsureLoaded())
    return {};
  // The parsers hand the same page to several functions in a row: the host keeps it.
  const bool again = !SentArgument.empty() && argumentText == SentArgument;
  std::vector<std::string> fields{again ? "again" : "call"};
  if (!again)
    fields.push_back(argumentText);
  fields.push_back(url);
  fields.insert(fields.end(), functionNames.begin(), functionNames.end());
  std::vector<std::string> values;
  auto answer = Request(std::move(fields));
  if (Host && !again)
    SentArgument = argumentText;
  while (answer && !ErrorOccurred) {
    values.push_back(std::move(answer->front()));
    if (values.size() == functionNames.size())
      break;
    answer = NextAnswer();
  }
  return values;
}

void TScriptController::KeepHostOnThisThread() {
  // The host dies with the thread that started it: another thread starts its own.
  if (Host && HostThread != std::this_thread::get_id())
    Host.reset();
}

std::string TScriptController::GetErrorText() const {
  if (!ErrorOccurred)
    return std::string();
  return std::to_string(ErrorLine) + "," + std::to_string(ErrorColumn) + ":" + ErrorDescription;
}

std::optional<std::vector<std::string>> TScriptController::Request(std::vector<std::string> fields) {
  if (!Host && !StartHost())
    return std::nullopt;
  fields.insert(fields.begin() + 1, std::to_string(Limits.Time.count()));
  std::string body;
  const auto outcome = Host->Exchange(EncodeScriptMessage(fields), std::chrono::steady_clock::now() + Limits.Time,
                                      Limits.Cancel, body);
  return Answer(outcome, body);
}

std::optional<std::vector<std::string>> TScriptController::NextAnswer() {
  // The next function of a list started when the last reply was sent.
  std::string body;
  const auto outcome = Host->Exchange(std::string(), std::chrono::steady_clock::now() + Limits.Time,
                                      Limits.Cancel, body);
  return Answer(outcome, body);
}

std::optional<std::vector<std::string>> TScriptController::Answer(TScriptHostProcess::Outcome outcome,
                                                                  const std::string& body) {
  if (outcome == TScriptHostProcess::Outcome::Canceled) {
    Host.reset();
    throw TCanceled{};
  }
  if (outcome == TScriptHostProcess::Outcome::TimedOut) {
    Host.reset();
    RecordError(0, 0, "スクリプトが制限時間(" + std::to_string(Limits.Time.count()) +
                          "ミリ秒)を超えたため中断しました。");
    return std::nullopt;
  }
  if (outcome == TScriptHostProcess::Outcome::Died) {
    RecordEnd();
    return std::nullopt;
  }
  auto answer = outcome == TScriptHostProcess::Outcome::Answered ? ParseReply(body) : std::nullopt;
  if (!answer) {
    Host.reset();
    RecordError(0, 0, GarbledReply);
    return std::nullopt;
  }
  const auto& fields = *answer;
  if (fields[1] == "1")
    RecordError(std::stoi(fields[2]), std::stoi(fields[3]), fields[4]);
  return answer;
}

bool TScriptController::StartHost() {
  SentArgument.clear();
  Host = std::make_unique<TScriptHostProcess>(GetScriptHostProgram());
  HostThread = std::this_thread::get_id();
  // Starting is not the script's time: a busy machine may take a while.
  std::string ready;
  const auto outcome = Host->Exchange(std::string(), std::chrono::steady_clock::now() + HostStartLimit,
                                      Limits.Cancel, ready);
  if (outcome == TScriptHostProcess::Outcome::Canceled) {
    Host.reset();
    throw TCanceled{};
  }
  if (outcome == TScriptHostProcess::Outcome::Died) {
    RecordEnd();
    return false;
  }
  if (outcome == TScriptHostProcess::Outcome::TimedOut) {
    Host.reset();
    RecordDied("起動が終わりません");
    return false;
  }
  if (!IsReady(ready)) {
    Host.reset();
    RecordError(0, 0, GarbledReply);
    return false;
  }
  return true;
}

void TScriptController::RecordEnd() {
  const bool outOfMemory = Host->RanOutOfMemory();
  const std::string reason = Host->GetEndReason();
  Host.reset();
  if (outOfMemory)
    RecordError(0, 0, "スクリプトがメモリの上限 (" + std::to_string(ScriptHostMemoryLimitMb) +
                          " MB) を超えたため止めました");
  else
    RecordDied(reason);
}

void TScriptController::RecordDied(const std::string& reason) {
  const std::string blogType = BlogTypeName.empty() ? std::string() : "ブログの種類「" + BlogTypeName + "」: ";
  RecordError(0, 0, "スクリプトの実行プロセスが異常終了しました (" + blogType + reason + ")");
}

void TScriptController::ClearError() {
  ErrorLine = 0;
  ErrorColumn = 0;
  ErrorDescription.clear();
  ErrorOccurred = false;
}

void TScriptController::RecordError(int line, int column, const std::string& description) {
  ErrorLine = line;
  ErrorColumn = column;
  ErrorDescription = description;
  ErrorOccurred = true;
}
