#pragma once

#include <string>
#include <vector>

// One blog type: how to read one kind of blog, from an INI file in the blog type folder.
class TBlogConfig {
public:
  TBlogConfig() = default;
  // Reads the blog type file at this path; throws std::runtime_error when it exists
  // but cannot be read.
  explicit TBlogConfig(const std::string& path);

  const std::string& GetName() const { return Name; }
  // The blog type file's name, without its folder.
  const std::string& GetFileName() const { return FileName; }
  const std::string& GetSimpleText() const { return SimpleText; }
  const std::string& GetEncode() const { return Encode; }
  const std::string& GetLanguage() const { return Language; }
  const std::string& GetScriptFile() const { return ScriptFile; }
  // A blog type for blogs of any kind ([CONFIG] fallback=1): detection ranks it
  // after the blog types made for one kind.
  bool IsFallback() const { return Fallback; }
  std::string GetHelpPath() const;
  std::string GetScriptPath() const;

private:
  std::string Name;
  std::string FileName;
  std::string Help;
  std::string SimpleText;
  std::string Directory;
  std::string Encode;
  std::string ScriptFile;
  std::string Language;
  bool Fallback = false;
};

// What to show for each blog type, in the same order: its name, followed by its
// file name when an earlier one has that name too, e.g. "WordPress (my-wordpress.ini)".
std::vector<std::string> BlogTypeLabels(const std::vector<TBlogConfig>& blogTypes);

// The code page of the blog type's charset name; -1 when the name is unknown.
int LookUpCodePage(const TBlogConfig& blogType);

// The blog type's script text, its lines ending in CR LF. Throws
// std::runtime_error when the file cannot be read.
std::string ReadBlogTypeScript(const TBlogConfig& blogType);

// The blog types found in the blog type folder, in file name (byte) order.
class TBlogConfigManager {
public:
  // Scans the folder "blog" beside the executable (or its installed place).
  void Load();
  // Scans this folder: its *.ini files only, no subfolders, no hidden files; files
  // without a name are left out. A blog type whose script file lies outside the folder
  // (links followed) or is not a regular file fails to load: it is left out and its
  // message kept. A file that cannot be read fails the whole scan.
  void LoadFrom(const std::string& folder);

  std::vector<TBlogConfig> GetBlogConfigs() const { return BlogConfigs; }
  // One message per blog type that failed to load, in file name order.
  std::vector<std::string> GetLoadErrors() const { return LoadErrors; }

private:
  std::vector<TBlogConfig> BlogConfigs;
  std::vector<std::string> LoadErrors;
};
