#include "crawl/Tblogconfig.h"

#include "crawl/Tkinifile.h"
#include "store/Tkappfolder.h"
#include "store/Tkfileutility.h"

#include <algorithm>
#include <filesystem>
#include <vector>

namespace fs = std::filesystem;

namespace {

bool HasIniExtension(const std::string& name) {
  if (name.size() < 4)
    return false;
  std::string extension = name.substr(name.size() - 4);
  for (char& c : extension)
    if (c >= 'A' && c <= 'Z')
      c = static_cast<char>(c - 'A' + 'a');
  return extension == ".ini";
}

} // namespace

TBlogConfig::TBlogConfig(const std::string& path) {
  const TIniFile ini = TIniFile::Load(path);
  Name = ini.ReadString("CONFIG", "name", "");
  Help = ini.ReadString("CONFIG", "help", "");
  SimpleText = ini.ReadString("CONFIG", "simpletext", "");
  const size_t slash = path.rfind('/');
  Directory = slash == std::string::npos ? std::string() : path.substr(0, slash);
  Encode = ini.ReadString("CONFIG", "encode", "EUC-JP");
  ScriptFile = ini.ReadString("SCRIPT", "file", "");
  Language = ini.ReadString("SCRIPT", "language", "JScript");
}

std::string TBlogConfig::GetHelpPath() const {
  return WithTrailingSlash(Directory) + Help;
}

std::string TBlogConfig::GetScriptPath() const {
  return WithTrailingSlash(Directory) + ScriptFile;
}

void TBlogConfigManager::Load() {
  LoadFrom(GetAppDataFolder("blog"));
}

void TBlogConfigManager::LoadFrom(const std::string& folder) {
  BlogConfigs.clear();
  std::vector<std::string> names;
  std::error_code error;
  for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
    std::string name = it->path().filename().string();
    if (name.front() != '.' && HasIniExtension(name) && it->is_regular_file(error))
      names.push_back(std::move(name));
  }
  // File name order, not the file system's, so that every machine offers the same
  // first blog type.
  std::sort(names.begin(), names.end());
  for (const std::string& name : names) {
    TBlogConfig config(WithTrailingSlash(folder) + name);
    if (!config.GetName().empty())
      BlogConfigs.push_back(std::move(config));
  }
}
