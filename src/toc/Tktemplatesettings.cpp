#include "toc/Tktemplatesettings.h"

#include <QString>

namespace {

std::string Folded(const std::string& name) {
  return QString::fromStdString(name).toCaseFolded().toStdString();
}

}

TTemplateSettingRows::TTemplateSettingRows(const std::vector<std::string>& names) {
  for (const std::string& name : names)
    Add(name, {});
}

void TTemplateSettingRows::ApplySaved(const TProject::HtmlSettings& saved) {
  for (const auto& [name, value] : saved)
    if (!value.empty())
      Set(name, value);
}

void TTemplateSettingRows::Set(const std::string& name, const std::string& value) {
  const auto row = FirstRows.find(Folded(name));
  if (row == FirstRows.end())
    Add(name, value);
  else
    Items[row->second].Value = value;
}

void TTemplateSettingRows::Add(const std::string& name, const std::string& value) {
  FirstRows.try_emplace(Folded(name), Items.size());
  Items.push_back({name, value});
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
  return Folded(a) == Folded(b);
}
