#include "ScriptedPrompts.h"

void ScriptedPrompts::ExpectMessage(const QString& fragment) {
  Queue.push_back({Kind::Message, fragment, QString(), false});
}

void ScriptedPrompts::ExpectChoice(const QString& fragment, std::optional<int> button) {
  Queue.push_back({Kind::Choose, fragment, button ? QString::number(*button) : QString(), !button});
}

void ScriptedPrompts::ExpectOpenFile(std::optional<QString> file) {
  Queue.push_back({Kind::OpenFile, QString(), file.value_or(QString()), !file});
}

void ScriptedPrompts::ExpectSaveFile(std::optional<QString> file) {
  Queue.push_back({Kind::SaveFile, QString(), file.value_or(QString()), !file});
}

void ScriptedPrompts::ExpectOpenUrl(const QString& fragment) {
  Queue.push_back({Kind::OpenUrl, fragment, QString(), false});
}

std::optional<QString> ScriptedPrompts::Take(Kind kind, const QString& text, bool* matched) {
  SeenPrompts.push_back({kind, text});
  const bool expected = !Queue.empty() && Queue.front().PromptKind == kind && text.contains(Queue.front().TextFragment);
  if (matched)
    *matched = expected;
  if (!expected) {
    Unexpected.push_back(text);
    return std::nullopt;
  }
  const Expected head = Queue.front();
  Queue.pop_front();
  if (head.Canceled)
    return std::nullopt;
  return head.Answer;
}

void ScriptedPrompts::Message(QWidget*, Icon, const QString& text) {
  Take(Kind::Message, text);
}

void ScriptedPrompts::MessageWithDetails(QWidget*, Icon, const QString& text, const QString& details) {
  Take(Kind::Message, details.isEmpty() ? text : text + QStringLiteral("\n\n") + details);
}

int ScriptedPrompts::Choose(QWidget*, Icon, const QString& text, const QStringList&, int escapeButton) {
  const std::optional<QString> answer = Take(Kind::Choose, text);
  return answer ? answer->toInt() : escapeButton;
}

std::optional<QString> ScriptedPrompts::OpenFileName(QWidget*, const QString& caption, const QString&,
                                                     const QString&) {
  return Take(Kind::OpenFile, caption);
}

std::optional<QString> ScriptedPrompts::SaveFileName(QWidget*, const QString& caption, const QString&,
                                                     const QString&, const QString&) {
  return Take(Kind::SaveFile, caption);
}

bool ScriptedPrompts::OpenUrl(const QUrl& url) {
  bool matched = false;
  Take(Kind::OpenUrl, url.toString(), &matched);
  return matched;
}
