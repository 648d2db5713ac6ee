#include "toc/Tktemplatesettings.h"

#include <QString>

#include <algorithm>

TTemplateSettingRows::TTemplateSettingRows(const std::vector<std::string>& names) {
  for (const std::string& name : names)
    Items.push_back({name, {}});
}

void TTemplateSettingRows::ApplySaved(const TProject::HtmlSettings& saved) {
  for (const auto& [name, value] : saved)
    if (!value.empty())
      Set(name, value);
}

void TTemplateSettingRows::Set(const std::string& name, const std::string& value) {
  const auto row = std::find_if(Items.begin(), Items.end(), [&](const TTemplateSettingRow& item) {
    return SameSettingName(item.Name, name);
  });
  if (row == Items.end())
    Items.push_back({name, value});
  else
    row->Value = value;
}

void TTemplateSettingRows::SetValue(std::size_t row, const std::string& value) {
  Items.at(row).Value = value;
}

TProject::HtmlSettings TTemplateSettingRows::ToSettings() const {
  TProject::HtmlSettings settings;
  for (const TTemplateSettingRow& row : Items)
    settings.try_emplace(row.Name, row.Value);
  return settings;
}

std::vector<std::string> TTemplateSettingRows::Lines() const {
  std::vector<std::string> lines;
  for (const TTemplateSettingRow& row : Items)
    lines.push_back(row.Name + "=" + row.Value);
  return lines;
}

bool SameSettingName(const std::string& a, const std::string& b) {
  return QString::fromStdString(a).toCaseFolded() == QString::fromStdString(b).toCaseFolded();
}
