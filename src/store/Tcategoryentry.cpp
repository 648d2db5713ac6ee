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

void DeleteCategoryMembershipsExcept(TProjectDb& db, const std::vector<std::int32_t>& keptIds) {
  // One pass over the table whatever the number of categories: the ids go into the
  // statement text, being numbers formatted here.
  std::string ids;
  for (const std::int32_t id : keptIds)
    ids += (ids.empty() ? "" : ",") + std::to_string(id);
  db.Query.Close();
  db.Query.SetSql("delete from categories_entry where category_id not in (" + ids + ")");
  db.Query.Execute();
  db.Query.Close();
}
