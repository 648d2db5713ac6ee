#include "ScriptedPrompts.h"

void ScriptedPrompts::ExpectMessage(const QString& fragment) {
  Queue.push_back({Kind::Message, fragment, std::nullopt});
}

void ScriptedPrompts::ExpectChoice(const QString& fragment, std::optional<int> button) {
  Queue.push_back({Kind::Choose, fragment, button ? std::optional<QString>(QString::number(*button)) : std::nullopt});
}

void ScriptedPrompts::ExpectOpenFile(std::optional<QString> file) {
  Queue.push_back({Kind::OpenFile, QString(), std::move(file)});
}

void ScriptedPrompts::ExpectSaveFile(std::optional<QString> file) {
  Queue.push_back({Kind::SaveFile, QString(), std::move(file)});
}

void ScriptedPrompts::ExpectOpenUrl(const QString& fragment) {
  Queue.push_back({Kind::OpenUrl, fragment, std::nullopt});
}

std::optional<ScriptedPrompts::Expected> ScriptedPrompts::Take(Kind kind, const QString& text) {
  SeenPrompts.push_back({kind, text});
  if (Queue.empty() || Queue.front().PromptKind != kind || !text.contains(Queue.front().TextFragment)) {
    Unexpected.push_back(text);
    return std::nullopt;
  }
  Expected expected = Queue.front();
  Queue.pop_front();
  return expected;
}

void ScriptedPrompts::Message(QWidget*, Icon, const QString& text) {
  Take(Kind::Message, text);
}

std::optional<int> ScriptedPrompts::Choose(QWidget*, Icon, const QString& text, const QStringList&) {
  const std::optional<Expected> expected = Take(Kind::Choose, text);
  if (!expected || !expected->Answer)
    return std::nullopt;
  return expected->Answer->toInt();
}

std::optional<QString> ScriptedPrompts::OpenFileName(QWidget*, const QString& caption, const QString&,
                                                     const QString&) {
  const std::optional<Expected> expected = Take(Kind::OpenFile, caption);
  return expected ? expected->Answer : std::nullopt;
}

std::optional<QString> ScriptedPrompts::SaveFileName(QWidget*, const QString& caption, const QString&,
                                                     const QString&, const QString&) {
  const std::optional<Expected> expected = Take(Kind::SaveFile, caption);
  return expected ? expected->Answer : std::nullopt;
}

bool ScriptedPrompts::OpenUrl(const QUrl& url) {
  return Take(Kind::OpenUrl, url.toString()).has_value();
}
