#include "app/Tformmain.h"

#include "app/Tkappmessages.h"
#include "ui/Tformdownloadentry.h"
#include "ui/Tprompts.h"
#include "ui_Tformmain.h"

// The crawl writes into the working copy whether it ends, fails or is cancelled,
// so the project counts as changed afterwards in every case.
void TFormMain::ActionDownloadEntryExecute() {
  if (Form->ComboBoxBlogType->currentIndex() < 0) {
    TPrompts::Get().Message(this, TPrompts::Icon::Warning, QString::fromUtf8(NoBlogTypeMessage));
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
