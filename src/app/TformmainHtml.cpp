#include "app/Tformmain.h"

void TFormMain::FillTemplateList() {}

THtmlTemplate TFormMain::GetSelectedTemplate() const {
  return {};
}

void TFormMain::LoadTemplateSettings() {}

void TFormMain::ComboBoxHtmlTemplateChange() {}

void TFormMain::ActionHtmlMakeExecute() {}

void TFormMain::ApplyTemplateSettings(const TProject&) {}

void TFormMain::CollectTemplateSettings(TProject&) {}
