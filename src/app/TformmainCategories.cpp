#include "app/Tformmain.h"

void TFormMain::ActionInsertCategoryExecute() {}

void TFormMain::ActionUpdateCategoryExecute() {}

void TFormMain::ActionDeleteCategoryExecute() {}

void TFormMain::ActionDownloadCategoryExecute() {}
