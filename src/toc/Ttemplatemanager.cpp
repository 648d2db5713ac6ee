#include "toc/Ttemplatemanager.h"

#include "store/Tkappfolder.h"
#include "store/Tkfileutility.h"
#include "text/Tkinifile.h"

#include <algorithm>
#include <filesystem>
#include <optional>
#include <sstream>

namespace fs = std::filesystem;

namespace {

std::string Trimmed(const std::string& text) {
  const auto first = text.find_first_not_of(" \t");
  if (first == std::string::npos)
    return {};
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// "[VALUES] name=a|b|c" and "[DEFAULTS] name=a": sections older versions never read.
// Empty and repeated values are dropped, and so is a default that is not one of them.
std::optional<TSettingChoices> ReadChoices(const TIniFile& ini, const std::string& setting) {
  TSettingChoices choices;
  std::stringstream declared(ini.ReadString("VALUES", setting, ""));
  for (std::string value; std::getline(declared, value, '|');) {
    value = Trimmed(value);
    if (!value.empty() && std::find(choices.Values.begin(), choices.Values.end(), value) == choices.Values.end())
      choices.Values.push_back(value);
  }
  if (choices.Values.empty())
    return std::nullopt;
  const std::string fallback = ini.ReadString("DEFAULTS", setting, "");
  if (std::find(choices.Values.begin(), choices.Values.end(), fallback) != choices.Values.end())
    choices.Default = fallback;
  return choices;
}

}

THtmlTemplate::THtmlTemplate(const std::string& path) : File(path) {
  std::error_code error;
  if (!fs::is_regular_file(path, error))
    return;
  Folder = FolderOf(path);
  const TIniFile ini = TIniFile::Load(path);
  Name = ini.ReadString("TEMPLATE", "name", "");
  Exe = ini.ReadString("TEMPLATE", "exe", "");
  Help = ini.ReadString("TEMPLATE", "help", "");
  for (const std::string& key : ini.ReadKeys("CONFIG")) {
    const std::string setting = ini.ReadString("CONFIG", key, "");
    if (setting.empty())
      continue;
    Config.push_back(setting);
    if (auto choices = ReadChoices(ini, setting))
      Choices.try_emplace(setting, std::move(*choices));
  }
}

const TSettingChoices* THtmlTemplate::GetChoices(const std::string& setting) const {
  const auto found = Choices.find(setting);
  return found == Choices.end() ? nullptr : &found->second;
}

std::string THtmlTemplate::GetExePath() const {
  const std::string own = Folder + Exe;
  std::error_code error;
  if (Exe.empty() || fs::exists(own, error))
    return own;
  const std::string shared = GetProgramLibraryFolder() + Exe;
  return fs::exists(shared, error) ? shared : own;
}

void TTemplateManager::Load() {
  LoadFrom(GetAppDataFolder("template"));
}

void TTemplateManager::LoadFrom(const std::string& folder) {
  Templates.clear();
  const std::string base = WithTrailingSlash(folder);
  std::vector<std::string> names;
  std::error_code error;
  for (fs::directory_iterator it(base, error), end; !error && it != end; it.increment(error))
    if (it->is_regular_file(error))
      names.push_back(it->path().filename().string());
  // File name order, not the file system's, so that every machine selects the same
  // first template.
  std::sort(names.begin(), names.end());
  for (const std::string& name : names) {
    try {
      THtmlTemplate htmlTemplate(base + name);
      if (!htmlTemplate.GetName().empty())
        Templates.push_back(std::move(htmlTemplate));
    } catch (const std::exception&) {
      // A file that cannot be read is no template; the scan reports nothing.
    }
  }
}
