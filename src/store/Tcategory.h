#pragma once

#include <cstdint>
#include <map>
#include <string>

class TProjectDb;

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
