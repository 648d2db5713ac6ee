#include "toc/Ttemplatemanager.h"

#include "crawl/Tkinifile.h"
#include "store/Tkappfolder.h"
#include "store/Tkfileutility.h"

#include <filesystem>

namespace fs = std::filesystem;

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
    if (!setting.empty())
      Config.push_back(setting);
  }
}

void TTemplateManager::Load() {
  LoadFrom(GetAppDataFolder("template"));
}

void TTemplateManager::LoadFrom(const std::string& folder) {
  Templates.clear();
  const std::string base = WithTrailingSlash(folder);
  std::error_code error;
  for (fs::directory_iterator it(base, error), end; !error && it != end; it.increment(error)) {
    if (!it->is_regular_file(error))
      continue;
    try {
      THtmlTemplate htmlTemplate(base + it->path().filename().string());
      if (!htmlTemplate.GetName().empty())
        Templates.push_back(std::move(htmlTemplate));
    } catch (const std::exception&) {
      // A file that cannot be read is no template; the scan reports nothing.
    }
  }
}
