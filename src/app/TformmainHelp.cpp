#include "app/Tformmain.h"

#include "ui/Tformaboutbox.h"
#include "ui/Tformblogtypehelp.h"
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

void TFormMain::ActionHtmlHelpExecute() {
  TFormHtmlTemplateHelp dialog(this);
  dialog.SetTemplates(Templates.GetTemplates());
  dialog.exec();
}
