#include "cli/CliContext.h"

#include "cli/CliArgs.h"
#include "net/Tappconfig.h"
#include "store/Tkappfolder.h"
#include "store/Tkfileutility.h"

#include <filesystem>
#include <ostream>

namespace {

template <typename Item>
Item FindByName(const std::vector<Item>& items, const std::string& name, const std::string& kind) {
  std::string known;
  for (const Item& item : items) {
    if (item.GetName() == name)
      return item;
    known += "\n  " + item.GetName();
  }
  throw TUsageError(kind + "「" + name + "」はありません。" +
                    (known.empty() ? kind + "がひとつも見つかりません。"
                                   : "次のどれかを指定してください:" + known));
}

// Why the settings file cannot be read as one, or "" when it can or is missing.
std::string SettingsFileProblem(const std::string& path) {
  constexpr std::uintmax_t MaxSize = 1024 * 1024;
  std::error_code error;
  const std::filesystem::file_status status = std::filesystem::status(path, error);
  if (status.type() == std::filesystem::file_type::not_found)
    return "";
  if (!error && !std::filesystem::is_regular_file(status))
    return "接続設定ファイルが通常のファイルではありません: " + path;
  const std::uintmax_t size = std::filesystem::file_size(path, error);
  if (!error && size > MaxSize)
    return "接続設定ファイルが大きすぎます (1 MB まで): " + path;
  return "";
}

}

std::string TCliContext::Folder(const std::string& name) const {
  if (DataDir.empty())
    return GetAppDataFolder(name);
  return WithTrailingSlash(DataDir) + name + "/";
}

std::vector<TBlogConfig> TCliContext::BlogTypes() const {
  TBlogConfigManager manager;
  manager.LoadFrom(Folder("blog"));
  for (const std::string& error : manager.GetLoadErrors())
    Err << error << '\n';
  return manager.GetBlogConfigs();
}

std::vector<THtmlTemplate> TCliContext::Templates() const {
  TTemplateManager manager;
  manager.LoadFrom(Folder("template"));
  return manager.GetTemplates();
}

TBlogConfig TCliContext::BlogType(const std::string& name) const {
  return FindByName(BlogTypes(), name, "ブログの種類");
}

THtmlTemplate TCliContext::Template(const std::string& name) const {
  return FindByName(Templates(), name, "テンプレート");
}

void TCliContext::CheckConfigFile() const {
  if (ConfigFile.empty())
    return;
  const std::string problem = SettingsFileProblem(ConfigFile);
  if (!problem.empty())
    throw TUsageError(problem);
}

void TCliContext::CheckDataDir() const {
  if (DataDir.empty())
    return;
  std::error_code error;
  const std::filesystem::file_status status = std::filesystem::status(DataDir, error);
  if (status.type() == std::filesystem::file_type::not_found)
    throw TUsageError("データフォルダー " + DataDir + " がありません。");
  if (!std::filesystem::is_directory(status))
    throw TUsageError("データフォルダー " + DataDir + " はフォルダーではありません。");
}

void TCliContext::LoadConnectionSettings() const {
  TAppConfig* config = TAppConfig::GetInstance();
  const std::string path = ConfigFile.empty() ? config->GetFileName() : ConfigFile;
  // The default file is no usage mistake, but it must not block the program either.
  const std::string problem = SettingsFileProblem(path);
  if (!problem.empty())
    throw std::runtime_error(problem);
  config->Load(path);
}
