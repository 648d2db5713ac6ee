#include "app/Tformmain.h"
#include "ui_Tformmain.h"

#include "ui/Tformaboutbox.h"
#include "ui/Tformblogtypehelp.h"
#include "ui/Tformblogtypetrial.h"
#include "ui/Tformhtmltemplatehelp.h"

void TFormMain::ActionHelpVersionExecute() {
  TFormAboutBox box(this);
  box.exec();
}

void TFormMain::ActionBlogTypeHelpExecute() {
  TFormBlogTypeHelp dialog(this);
  dialog.SetBlogConfigs(BlogTypes.GetBlogConfigs());
  dialog.exec();
}

void TFormMain::ActionBlogTypeTrialExecute() {
  TFormBlogTypeTrial dialog(this);
  const int index = Form->ComboBoxBlogType->currentIndex();
  dialog.SetBlogTypeFolder(BlogTypeFolder, index < 0 ? std::string() : GetSelectedBlogType().GetFileName());
  dialog.SetUrl(Form->EditEntryUrl->text().trimmed());
  dialog.exec();
}

void TFormMain::ActionHtmlHelpExecute() {
  TFormHtmlTemplateHelp dialog(this);
  dialog.SetTemplates(Templates.GetTemplates());
  dialog.exec();
}
