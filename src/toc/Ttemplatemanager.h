#pragma once

#include <map>
#include <string>
#include <vector>

// The values a setting accepts, as its template declares them, and the one an empty
// value stands for (empty when the template names none).
struct TSettingChoices {
  std::vector<std::string> Values;
  std::string Default;
};

// One template: a settings file in the template folder naming the program that
// writes the table of contents, its help document and the settings it expects.
class THtmlTemplate {
public:
  THtmlTemplate() = default;
  // Reads the settings file at this path; a missing file leaves everything empty.
  explicit THtmlTemplate(const std::string& path);

  const std::string& GetFileName() const { return File; }
  const std::string& GetName() const { return Name; }
  // The program in the template's own folder, else the one of that name in the
  // program library folder, else the path in its own folder as written.
  std::string GetExePath() const;
  std::string GetHelpPath() const { return Folder + Help; }
  const std::vector<std::string>& GetConfig() const { return Config; }
  // The declared values of this setting; none for a setting that takes any text.
  const TSettingChoices* GetChoices(const std::string& setting) const;

private:
  std::string File;
  std::string Name;
  std::string Folder;
  std::string Exe;
  std::string Help;
  std::vector<std::string> Config;
  std::map<std::string, TSettingChoices> Choices;
};

// The templates of the template folder, in file name (byte) order.
class TTemplateManager {
public:
  // Scans the folder "template" beside the executable (or its installed place).
  void Load();
  // Scans this folder: every file in it (no subfolders); files without a name are
  // left out.
  void LoadFrom(const std::string& folder);

  std::vector<THtmlTemplate> GetTemplates() const { return Templates; }

private:
  std::vector<THtmlTemplate> Templates;
};
