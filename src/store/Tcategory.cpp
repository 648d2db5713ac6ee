#include "store/Tcategory.h"

#include "store/Tprojectdb.h"

#include <utility>

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
