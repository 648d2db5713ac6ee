#include "script/Tscriptcontroller.h"

#include "script/Tscripthostprocess.h"
#include "script/Tscriptmessage.h"
#include "store/Tkappfolder.h"

#include <QString>

#include <mutex>
#include <stdexcept>

namespace {

constexpr std::chrono::seconds HostStartLimit{30};

std::mutex HostProgramMutex;
std::string HostProgram;

bool IsKnownLanguage(const std::string& language) {
  const QString name = QString::fromStdString(language);
  for (const char16_t* known : {u"JScript", u"JavaScript", u"ECMAScript"})
    if (name.compare(QString::fromUtf16(known), Qt::CaseInsensitive) == 0)
      return true;
  return false;
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
  std::vector<std::string> answer;
  if (outcome == TScriptHostProcess::Outcome::Answered) {
    try {
      answer = DecodeScriptMessage(body);
    } catch (const std::runtime_error&) {
      answer.clear();
    }
  }
  if (answer.size() != 5) {
    const std::string reason = outcome == TScriptHostProcess::Outcome::Died
                                   ? Host->GetEndReason() : "応答が壊れています";
    Host.reset();
    RecordDied(reason);
    return std::nullopt;
  }
  if (answer[1] == "1")
    RecordError(std::stoi(answer[2]), std::stoi(answer[3]), answer[4]);
  return answer;
}

bool TScriptController::StartHost() {
  SentArgument.clear();
  Host = std::make_unique<TScriptHostProcess>(GetScriptHostProgram());
  // Starting is not the script's time: a busy machine may take a while.
  std::string ready;
  const auto outcome = Host->Exchange(std::string(), std::chrono::steady_clock::now() + HostStartLimit,
                                      Limits.Cancel, ready);
  if (outcome == TScriptHostProcess::Outcome::Canceled) {
    Host.reset();
    throw TCanceled{};
  }
  if (outcome != TScriptHostProcess::Outcome::Answered) {
    const std::string reason = outcome == TScriptHostProcess::Outcome::Died
                                   ? Host->GetEndReason() : "起動が終わりません";
    Host.reset();
    RecordDied(reason);
    return false;
  }
  return true;
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
