#include "ui/Tschemeprompt.h"

#include "net/Turlscheme.h"
#include "ui/Tprompts.h"

using namespace Qt::StringLiterals;

std::optional<QString> AskToCompleteScheme(QWidget* parent, const QString& typed) {
  if (!LacksScheme(typed.toStdString()))
    return typed.trimmed();
  const QString completed = QString::fromStdString(WithDefaultScheme(typed.toStdString()));
  const QString question =
      u"URL「%1」には http:// も https:// もありません。\n%2 として続けますか？"_s.arg(typed.trimmed(), completed);
  if (TPrompts::Get().Choose(parent, TPrompts::Icon::Question, question, {u"はい"_s, u"いいえ"_s}, 1) != 0)
    return std::nullopt;
  return completed;
}
