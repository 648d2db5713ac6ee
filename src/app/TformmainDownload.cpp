#include "app/Tformmain.h"

void TFormMain::ActionDownloadEntryExecute() {}
