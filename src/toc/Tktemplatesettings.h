#pragma once

#include "store/Tproject.h"

#include <cstddef>
#include <string>
#include <unordered_map>
#include <vector>

struct TTemplateSettingRow {
  std::string Name;
  std::string Value;
};

// The rows of the template settings editor of the table-of-contents page: the
// template decides which rows there are, the project's saved values fill them.
class TTemplateSettingRows {
public:
  // One row per setting name of the template, every value empty.
  explicit TTemplateSettingRows(const std::vector<std::string>& names);

  // Puts saved values into the rows of their names; a name that no row has becomes
  // a new row. Empty saved values are skipped: their rows stay empty.
  void ApplySaved(const TProject::HtmlSettings& saved);
  // The value of the first row with this name, or a new row when there is none.
  void Set(const std::string& name, const std::string& value);
  // The value of one row, as the editor changes it; a row past the end throws
  // std::out_of_range.
  void SetValue(std::size_t row, const std::string& value);

  const std::vector<TTemplateSettingRow>& Rows() const { return Items; }
  // The settings saved with the project: each name with the value of its first row.
  TProject::HtmlSettings ToSettings() const;
  // "name=value", one line per row in row order, as the generation run exports them.
  std::vector<std::string> Lines() const;

private:
  void Add(const std::string& name, const std::string& value);

  std::vector<TTemplateSettingRow> Items;
  // The first row of each case-folded name, so that a project with many settings
  // fills its rows in linear time.
  std::unordered_map<std::string, std::size_t> FirstRows;
};

// Setting names match without regard to letter case, by Unicode case folding, so
// that full-width letters match too.
bool SameSettingName(const std::string& a, const std::string& b);
