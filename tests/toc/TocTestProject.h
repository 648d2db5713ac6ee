#pragma once

#include "store/Tcategory.h"
#include "store/Tcategoryentry.h"
#include "store/Tcomment.h"
#include "store/Tentry.h"
#include "store/Tkappfolder.h"
#include "store/Tprojectdb.h"

#include <string>
#include <vector>

inline std::string BlankGenerationDb() {
  return GetDbFolder() + "html.mdb";
}

// A small blog: three categories, entries in one, two or none of them, one comment.
inline void FillSampleProject(TProjectDb& db) {
  db.New(GetDbFolder() + "blog.mdb");
  DeleteCategories(db);
  InsertCategory(db, 0, " ", "");
  InsertCategory(db, 1, "料理", "https://blog.example/cat/food");
  InsertCategory(db, 2, "旅行", "https://blog.example/cat/travel");
  InsertCategory(db, 3, "日記", "https://blog.example/cat/diary");
  InsertEntry(db, "https://blog.example/3", "新しい記事", 45413.5, false);
  InsertEntry(db, "https://blog.example/2", "旅のごはん", 45383.25, false);
  InsertEntry(db, "https://blog.example/1", "古い記事", 45292, false);
  InsertCategoryMemberships(db, 1, {"https://blog.example/2"});
  InsertCategoryMemberships(db, 2, {"https://blog.example/2", "https://blog.example/3"});
  TEntry commented(2, "https://blog.example/2", "", 0);
  commented.SetComment("おいしかった\n二行目");
  SaveComment(db, commented);
}
