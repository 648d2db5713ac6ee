#include "app/Tformmain.h"

#include "app/Tkappmessages.h"
#include "ui/Tformdownloadentry.h"
#include "ui/Tprompts.h"
#include "ui/Tschemeprompt.h"
#include "ui_Tformmain.h"

namespace {

using namespace Qt::StringLiterals;

constexpr const char* NoTopPageMessage = "ブログのトップページのURLを入力してください。";

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
  const std::optional<QString> url = AskToCompleteScheme(this, typed);
  if (!url)
    return std::nullopt;
  if (*url != typed.trimmed()) {
    Form->EditEntryUrl->setText(*url);
    SetModified(true);
  }
  return url->toStdString();
}
