#include "app/Tformmain.h"

void TFormMain::ActionHelpVersionExecute() {}

void TFormMain::ActionBlogTypeHelpExecute() {}

void TFormMain::ActionHtmlHelpExecute() {}
