#include "store/Tcategoryentry.h"

#include "store/Tprojectdb.h"

void DeleteCategoryMemberships(TProjectDb& db) {
  db.Query.Close();
  db.Query.SetSql("delete from categories_entry");
  db.Query.Execute();
  db.Query.Close();
}

void InsertCategoryMemberships(TProjectDb& db, std::int32_t categoryId,
                               const std::vector<std::string>& urls) {
  db.Query.Close();
  db.Query.SetSql("insert into categories_entry(category_id,url) values(:ID, :URL)");
  for (const std::string& url : urls) {
    db.Query.SetInteger("ID", categoryId);
    db.Query.SetText("URL", url);
    db.Query.Execute();
  }
  db.Query.Close();
}
