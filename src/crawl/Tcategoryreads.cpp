#include "crawl/Tcategoryreads.h"

#include "net/Tkurlkey.h"
#include "store/Tcategory.h"
#include "store/Tcategoryentry.h"
#include "store/Tprojectdb.h"

void TCategoryReads::Add(std::size_t index, const std::vector<std::string>& urls) {
  Read& read = Reads[index];
  for (const std::string& url : urls)
    if (read.Keys.insert(UrlKey(url)).second)
      read.Urls.push_back(url);
}

void TCategoryReads::Store(TProjectDb& db, const std::vector<TCategoryData>& list,
                           bool keepUnread) const {
  db.Query.Close();
  TDbTransaction transaction(db.GetConnection());
  DeleteCategories(db);
  InsertCategory(db, 0, " ", "");
  for (std::size_t i = 0; i < list.size(); ++i)
    InsertCategory(db, static_cast<std::int32_t>(i + 1), list[i].name, list[i].url);

  std::vector<std::int32_t> kept;
  if (keepUnread)
    for (std::size_t i = 0; i < Reads.size(); ++i)
      if (!Reads[i].Complete)
        kept.push_back(static_cast<std::int32_t>(i + 1));
  DeleteCategoryMembershipsExcept(db, kept);
  for (std::size_t i = 0; i < Reads.size(); ++i)
    if (Reads[i].Complete && !Reads[i].Urls.empty())
      InsertCategoryMemberships(db, static_cast<std::int32_t>(i + 1), Reads[i].Urls);

  SaveCategoryCrawlList(db, list);
  transaction.Commit();
}
