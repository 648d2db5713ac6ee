#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

class TProjectDb;
struct TCategoryData;

// A category as stored: its id is its position in the project's list (from 1);
// id 0 is the reserved category of entries listed nowhere.
class TCategory {
public:
  TCategory() = default;
  TCategory(std::int32_t id, std::string name, std::string url);

  std::int32_t GetId() const { return Id; }
  const std::string& GetName() const { return Name; }
  const std::string& GetUrl() const { return Url; }

private:
  std::int32_t Id = 0;
  std::string Name;
  std::string Url;
};

void DeleteCategories(TProjectDb& db);
void InsertCategory(TProjectDb& db, std::int32_t id, const std::string& name,
                    const std::string& url);
// Every stored category by id, the reserved id 0 included; the first row of an id wins.
std::map<std::int32_t, TCategory> LoadCategories(TProjectDb& db);

// A category list as one text, one line per category: name, TAB, url.
std::string CategoryListText(const std::vector<TCategoryData>& categories);
// The list the last category crawl ran with, which the stored memberships belong
// to; a project never crawled since it was recorded gives its categories table
// without the reserved row.
std::string LoadCategoryCrawlList(TProjectDb& db);
void SaveCategoryCrawlList(TProjectDb& db, const std::vector<TCategoryData>& categories);
