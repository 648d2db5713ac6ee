#pragma once

#include "store/Tprojectdb.h"

#include <map>
#include <string>
#include <vector>

// A category as the user edits it; its id comes from its position when saved.
struct TCategoryData {
  std::string name;
  std::string url;
};

// The settings of one project. Entries, memberships and comments stay in the
// database; these reach the project file only through Save.
class TProject {
public:
  using HtmlSettings = std::map<std::string, std::string>;

  const std::string& GetFileName() const { return FileName; }
  const std::string& GetEntryUrl() const { return EntryUrl; }
  void SetEntryUrl(const std::string& url) { EntryUrl = url; }

  unsigned GetCategoryCount() const { return static_cast<unsigned>(Categories.size()); }
  // An index at or past the count throws std::out_of_range.
  TCategoryData GetCategory(unsigned index) const { return Categories.at(index); }
  void AddCategory(const std::string& name, const std::string& url);
  void ClearCategories() { Categories.clear(); }

  const std::string& GetHtmlTemplateName() const { return HtmlTemplateName; }
  void SetHtmlTemplateName(const std::string& name) { HtmlTemplateName = name; }
  HtmlSettings GetHtmlSettings() const { return Settings; }
  void SetHtmlSettings(const HtmlSettings& settings) { Settings = settings; }

  const std::string& GetBlogTypeName() const { return BlogTypeName; }
  void SetBlogTypeName(const std::string& name) { BlogTypeName = name; }

  // Opens the project file into the working copy and reads the settings. On
  // failure this project keeps every setting it had.
  void Load(const std::string& fileName, TProjectDb& db);
  // Takes over the working copy of a run that crashed, as an unsaved project with
  // the project file name it belonged to.
  void Recover(const TWorkCopyInfo& orphan, TProjectDb& db);
  // Writes the settings into the working copy, then saves it as the project file.
  void Save(const std::string& fileName, TProjectDb& db);
  // The same, as a new file that must not exist yet.
  void SaveAsNew(const std::string& fileName, TProjectDb& db);
  // Writes the settings into the working copy only, so that recovering it after a
  // crash brings them back.
  void StoreSettings(TProjectDb& db) const;

private:
  void SaveAs(const std::string& fileName, TProjectDb& db, TProjectDb::SaveMode mode);
  void ReadSettings(TProjectDb& db);
  void WriteSettings(TProjectDb& db) const;

  std::string FileName;
  std::string EntryUrl;
  std::vector<TCategoryData> Categories;
  std::string HtmlTemplateName;
  HtmlSettings Settings;
  std::string BlogTypeName;
};
