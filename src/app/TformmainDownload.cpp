#include "app/Tformmain.h"

#include "app/Tkappmessages.h"
#include "ui/Tformdownloadentry.h"
#include "ui/Tprompts.h"
#include "ui_Tformmain.h"

namespace {

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
  if (Form->EditEntryUrl->text().trimmed().isEmpty()) {
    TPrompts::Get().Message(this, TPrompts::Icon::Warning, QString::fromUtf8(NoTopPageMessage));
    return;
  }
  TFormDownloadEntry dialog(this);
  dialog.SetStartUrl(Form->EditEntryUrl->text().toStdString());
  dialog.SetDb(Db.get());
  dialog.SetNewEntryOnly(Form->CheckBoxDownloadNewEntryOnly->isChecked());
  dialog.SetBlogConfig(GetSelectedBlogType());
  dialog.exec();
  SetModified(true);
  ShowDownloadedEntries();
}
