#include "crawl/Tblogconfig.h"

#include "store/Tkappfolder.h"
#include "store/Tkfileutility.h"
#include "text/Tcodepage.h"
#include "text/Tkinifile.h"
#include "text/Tktextfile.h"
#include "text/Tktextlines.h"

#include <algorithm>
#include <filesystem>
#include <set>
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

// Whether path lies inside folder (both canonical), the folder itself excluded.
bool IsInside(const fs::path& path, const fs::path& folder) {
  const auto [inFolder, inPath] = std::mismatch(folder.begin(), folder.end(), path.begin(), path.end());
  return inFolder == folder.end() && inPath != path.end();
}

// Why the blog type's script file cannot be used, or "" when it can. The crawls read
// it as the blog type's code, so links must not lead it out of the folder, and a FIFO
// or device would block them. A missing file is theirs to report.
std::string ScriptFileProblem(const TBlogConfig& config, const std::string& folder) {
  if (config.GetScriptFile().empty())
    return "";
  const fs::path script = config.GetScriptPath();
  std::error_code error;
  const fs::file_status status = fs::status(script, error);
  const bool missing = status.type() == fs::file_type::not_found;
  if (error && !missing)
    return "スクリプトファイル " + config.GetScriptFile() + " を調べられません (" + error.message() + ")";
  const fs::path resolved =
      missing ? fs::weakly_canonical(script, error) : fs::canonical(script, error);
  const fs::path base = fs::canonical(folder, error);
  if (error || !IsInside(resolved, base))
    return "スクリプトファイル " + config.GetScriptFile() + " がブログの種類のフォルダの外にあります";
  if (!missing && !fs::is_regular_file(status))
    return "スクリプトファイル " + config.GetScriptFile() + " が通常のファイルではありません";
  return "";
}

} // namespace

TBlogConfig::TBlogConfig(const std::string& path) {
  const TIniFile ini = TIniFile::Load(path);
  Name = ini.ReadString("CONFIG", "name", "");
  Help = ini.ReadString("CONFIG", "help", "");
  SimpleText = ini.ReadString("CONFIG", "simpletext", "");
  Fallback = ini.ReadBool("CONFIG", "fallback", false);
  const size_t slash = path.rfind('/');
  Directory = slash == std::string::npos ? std::string() : path.substr(0, slash);
  FileName = path.substr(slash == std::string::npos ? 0 : slash + 1);
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
  LoadErrors.clear();
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
    if (config.GetName().empty())
      continue;
    const std::string problem = ScriptFileProblem(config, folder);
    if (problem.empty())
      BlogConfigs.push_back(std::move(config));
    else
      LoadErrors.push_back("ブログの種類「" + config.GetName() + "」(" + name +
                           ") を読み込めません: " + problem + "。");
  }
}

std::string ReadBlogTypeScript(const TBlogConfig& blogType) {
  std::string code;
  for (const std::string& line : SplitLines(ReadTextFile(blogType.GetScriptPath())))
    code += line + "\r\n";
  return code;
}

std::vector<std::string> BlogTypeLabels(const std::vector<TBlogConfig>& blogTypes) {
  std::vector<std::string> labels;
  std::set<std::string> seen;
  for (const TBlogConfig& blogType : blogTypes) {
    const bool repeated = !seen.insert(blogType.GetName()).second;
    labels.push_back(repeated ? blogType.GetName() + " (" + blogType.GetFileName() + ")" : blogType.GetName());
  }
  return labels;
}

int LookUpCodePage(const TBlogConfig& blogType) {
  return TCodePage::GetInstance()->FindCodePage(blogType.GetEncode());
}
