#include "store/Tcomment.h"

#include "store/Tentry.h"
#include "store/Tprojectdb.h"

void SaveComment(TProjectDb& db, const TEntry& entry) {
  TDbTransaction transaction(db.GetConnection());
  db.Query.Close();
  db.Query.SetSql("delete from comments where url=:URL");
  db.Query.SetText("URL", entry.GetUrl());
  db.Query.Execute();
  db.Query.Close();
  db.Query.SetSql("insert into comments(url,comment) values(:URL, :COMMENT)");
  db.Query.SetText("URL", entry.GetUrl());
  db.Query.SetText("COMMENT", entry.GetComment());
  db.Query.Execute();
  db.Query.Close();
  transaction.Commit();
}
