#include "store/Tcategory.h"

#include "store/Tproject.h"
#include "store/Tprojectdb.h"

#include <utility>

namespace {

const char* const CrawlListKey = "category_crawl_list";

}

TCategory::TCategory(std::int32_t id, std::string name, std::string url)
    : Id(id), Name(std::move(name)), Url(std::move(url)) {}

void DeleteCategories(TProjectDb& db) {
  db.Query.Close();
  db.Query.SetSql("delete from categories");
  db.Query.Execute();
}

void InsertCategory(TProjectDb& db, std::int32_t id, const std::string& name,
                    const std::string& url) {
  db.Query.Close();
  db.Query.SetSql("INSERT INTO categories (id, name, url) VALUES (:ID, :NAME, :URL)");
  db.Query.SetInteger("ID", id);
  db.Query.SetText("NAME", name);
  db.Query.SetText("URL", url);
  db.Query.Execute();
}

std::map<std::int32_t, TCategory> LoadCategories(TProjectDb& db) {
  db.Query.Close();
  db.Query.SetSql("select * from categories");
  db.Query.Open();
  std::map<std::int32_t, TCategory> categories;
  for (; !db.Query.Eof(); db.Query.Next()) {
    const std::int32_t id = db.Query.GetInteger("id");
    categories.try_emplace(id, id, db.Query.GetText("name"), db.Query.GetText("url"));
  }
  db.Query.Close();
  return categories;
}

std::string CategoryListText(const std::vector<TCategoryData>& categories) {
  std::string text;
  for (const TCategoryData& category : categories)
    text += category.name + "\t" + category.url + "\n";
  return text;
}

std::string LoadCategoryCrawlList(TProjectDb& db) {
  db.Query.Close();
  db.Query.SetSql("select data from config where name = :KEY");
  db.Query.SetText("KEY", CrawlListKey);
  db.Query.Open();
  const bool recorded = !db.Query.Eof();
  const std::string text = recorded ? db.Query.GetText("data") : std::string();
  db.Query.Close();
  if (recorded)
    return text;
  std::vector<TCategoryData> stored;
  for (const auto& [id, category] : LoadCategories(db))
    if (id != 0)
      stored.push_back({category.GetName(), category.GetUrl()});
  return CategoryListText(stored);
}

void SaveCategoryCrawlList(TProjectDb& db, const std::vector<TCategoryData>& categories) {
  db.SetConfig(CrawlListKey, CategoryListText(categories));
}
