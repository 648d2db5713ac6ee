#include "StoreFixture.h"

#include "store/Tcategory.h"
#include "store/Tcategoryentry.h"
#include "store/Tcomment.h"
#include "store/Tdberror.h"
#include "store/Tentry.h"
#include "store/Tproject.h"

namespace {

using CategoryStoreTest = StoreTest;

TEST_F(CategoryStoreTest, CategoriesLoadByIdWithTheReservedOneFirst) {
  EXPECT_TRUE(LoadCategories(Db).empty());
  DeleteCategories(Db);
  InsertCategory(Db, 0, " ", "");
  InsertCategory(Db, 2, "旅行", "http://b/cat/travel");
  InsertCategory(Db, 1, "料理", "http://b/cat/food");
  InsertCategory(Db, 1, "重複", "http://b/cat/dup");

  const auto categories = LoadCategories(Db);
  ASSERT_EQ(categories.size(), 3u);
  auto it = categories.begin();
  EXPECT_EQ(it->first, 0);
  EXPECT_EQ(it->second.GetName(), " ");
  EXPECT_EQ(it->second.GetUrl(), "");
  ++it;
  EXPECT_EQ(it->second.GetName(), "料理") << "the first row of an id wins";
  ++it;
  EXPECT_EQ(it->second.GetId(), 2);
  EXPECT_EQ(it->second.GetUrl(), "http://b/cat/travel");
}

TEST_F(CategoryStoreTest, MembershipsAreStoredAsGivenAndClearedTogether) {
  InsertCategoryMemberships(Db, 1, {"http://b/1", "http://b/1", "http://b/2"});
  InsertCategoryMemberships(Db, 2, {});
  EXPECT_EQ(CountRows(Db, "categories_entry"), 3);
  EXPECT_EQ(CountRows(Db, "categories_entry", "category_id = 2"), 0);
  InsertEntry(Db, "http://b/1", "a", 1, false);
  EXPECT_EQ(LoadEntries(Db).at(0).GetCategoryIds(), (std::vector<std::int32_t>{1}));

  DeleteCategoryMemberships(Db);
  EXPECT_EQ(CountRows(Db, "categories_entry"), 0);
}

TEST_F(CategoryStoreTest, OneCommentPerUrlAndAnEmptyOneIsKept) {
  TEntry entry(1, "http://b/1", "a", 1);
  entry.SetComment("最初");
  SaveComment(Db, entry);
  entry.SetComment("書き直し");
  SaveComment(Db, entry);
  EXPECT_EQ(CountRows(Db, "comments"), 1);
  EXPECT_EQ(Scalar(Db, "select comment as v from comments"), "書き直し");

  entry.SetComment("");
  SaveComment(Db, entry);
  EXPECT_EQ(CountRows(Db, "comments", "comment = ''"), 1);
}

TEST_F(CategoryStoreTest, ACommentThatCannotBeStoredKeepsThePreviousOne) {
  TEntry entry(1, "http://b/1", "a", 1);
  entry.SetComment("大事な感想");
  SaveComment(Db, entry);
  Db.GetConnection().ExecuteDirect(
      "create trigger refuse before insert on comments when new.comment = 'boom' "
      "begin select raise(abort, 'refused'); end");
  entry.SetComment("boom");
  EXPECT_THROW(SaveComment(Db, entry), TDbError);
  EXPECT_EQ(Scalar(Db, "select comment as v from comments"), "大事な感想");
}

TEST_F(CategoryStoreTest, SavingAShorterListKeepsOldMembershipsUntilTheNextCrawl) {
  TProject project;
  for (const char* name : {"一", "二", "三"})
    project.AddCategory(name, std::string("http://b/cat/") + name);
  project.Save(Folder.File("p.proj"), Db);
  InsertCategoryMemberships(Db, 2, {"http://b/x"});
  InsertCategoryMemberships(Db, 3, {"http://b/y"});

  project.ClearCategories();
  project.AddCategory("二", "http://b/cat/二");
  project.AddCategory("三", "http://b/cat/三");
  project.Save(Folder.File("p.proj"), Db);

  const auto categories = LoadCategories(Db);
  ASSERT_EQ(categories.size(), 3u);
  EXPECT_EQ(categories.at(1).GetName(), "二");
  EXPECT_EQ(categories.at(2).GetName(), "三");
  EXPECT_EQ(CountRows(Db, "categories_entry", "category_id = 2 and url = 'http://b/x'"), 1);
  EXPECT_EQ(CountRows(Db, "categories_entry", "category_id = 3 and url = 'http://b/y'"), 1);
}

}
