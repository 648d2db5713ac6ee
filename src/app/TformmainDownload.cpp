#include "app/Tformmain.h"

#include "app/Tkappmessages.h"
#include "net/Turlscheme.h"
#include "ui/Tformdownloadentry.h"
#include "ui/Tprompts.h"
#include "ui_Tformmain.h"

namespace {

using namespace Qt::StringLiterals;

constexpr const char* NoTopPageMessage = "ブログのトップページのURLを入力してください。";

QString SchemeQuestion(const QString& typed, const QString& completed) {
  return u"URL「%1」には http:// も https:// もありません。\n%2 として続けますか？"_s.arg(typed, completed);
}

} // namespace

// The crawl writes into the working copy whether it ends, fails or is cancelled,
// so the project counts as changed afterwards in every case.
void TFormMain::ActionDownloadEntryExecute() {
  if (Form->ComboBoxBlogType->currentIndex() < 0) {
    TPrompts::Get().Message(this, TPrompts::Icon::Warning, QString::fromUtf8(NoBlogTypeMessage));
    return;
  }
  // The entry crawl starts from the top page; the category crawl reads its own rows.
  const std::optional<std::string> url = AskTopPageUrl();
  if (!url)
    return;
  TFormDownloadEntry dialog(this);
  dialog.SetStartUrl(*url);
  dialog.SetDb(Db.get());
  dialog.SetNewEntryOnly(Form->CheckBoxDownloadNewEntryOnly->isChecked());
  dialog.SetBlogConfig(GetSelectedBlogType());
  dialog.exec();
  SetModified(true);
  ShowDownloadedEntries();
}

std::optional<std::string> TFormMain::AskTopPageUrl() {
  const QString typed = Form->EditEntryUrl->text();
  if (typed.trimmed().isEmpty()) {
    TPrompts::Get().Message(this, TPrompts::Icon::Warning, QString::fromUtf8(NoTopPageMessage));
    return std::nullopt;
  }
  if (!LacksScheme(typed.toStdString()))
    return typed.toStdString();
  const QString completed = QString::fromStdString(WithDefaultScheme(typed.toStdString()));
  if (TPrompts::Get().Choose(this, TPrompts::Icon::Question, SchemeQuestion(typed.trimmed(), completed),
                             {u"はい"_s, u"いいえ"_s}, 1) != 0)
    return std::nullopt;
  Form->EditEntryUrl->setText(completed);
  SetModified(true);
  return completed.toStdString();
}
