#include "app/Tformmain.h"

void TFormMain::PageControl1Change() {}

void TFormMain::ActionCommentEditExecute() {}

void TFormMain::ActionCommentOpenUrlExecute() {}
