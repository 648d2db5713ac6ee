#include "cli/CliContext.h"

#include "cli/CliArgs.h"
#include "crawl/Tappconfig.h"
#include "store/Tkappfolder.h"
#include "store/Tkfileutility.h"

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

}

std::string TCliContext::Folder(const std::string& name) const {
  if (DataDir.empty())
    return GetAppDataFolder(name);
  return WithTrailingSlash(DataDir) + name + "/";
}

std::vector<TBlogConfig> TCliContext::BlogTypes() const {
  TBlogConfigManager manager;
  manager.LoadFrom(Folder("blog"));
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

void TCliContext::LoadConnectionSettings() const {
  TAppConfig* config = TAppConfig::GetInstance();
  config->Load(ConfigFile.empty() ? config->GetFileName() : ConfigFile);
}
