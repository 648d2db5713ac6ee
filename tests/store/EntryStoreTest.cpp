#include "StoreFixture.h"

#include "store/Tcategoryentry.h"
#include "store/Tcomment.h"
#include "store/Tdberror.h"
#include "store/Tentry.h"

#include <vector>

namespace {

using EntryStoreTest = StoreTest;

std::vector<std::string> Urls(const std::vector<TEntry>& entries) {
  std::vector<std::string> urls;
  for (const TEntry& entry : entries)
    urls.push_back(entry.GetUrl());
  return urls;
}

std::vector<std::int32_t> Ids(const std::vector<TEntry>& entries) {
  std::vector<std::int32_t> ids;
  for (const TEntry& entry : entries)
    ids.push_back(entry.GetId());
  return ids;
}

void Comment(TProjectDb& db, const std::string& url, const std::string& text) {
  TEntry entry(0, url, "", 0);
  entry.SetComment(text);
  SaveComment(db, entry);
}

TEST_F(EntryStoreTest, IdsCountFromOneInEachTable) {
  EXPECT_EQ(GetMaxEntryId(Db, false), 0);
  InsertEntry(Db, "http://b/1", "a", 1, false);
  InsertEntry(Db, "http://b/2", "b", 2, false);
  InsertEntry(Db, "http://b/3", "c", 3, true);
  EXPECT_EQ(GetMaxEntryId(Db, false), 2);
  EXPECT_EQ(GetMaxEntryId(Db, true), 1);
  EXPECT_EQ(Ids(LoadEntries(Db)), (std::vector<std::int32_t>{1, 2}));

  DeleteEntries(Db, true);
  EXPECT_EQ(GetMaxEntryId(Db, true), 0);
  EXPECT_EQ(GetMaxEntryId(Db, false), 2);
}

TEST_F(EntryStoreTest, EntryExistsLooksAtStoredEntriesOnlyAndIgnoresCase) {
  InsertEntry(Db, "http://Blog.Example/Entry", "a", 1, false);
  InsertEntry(Db, "http://blog.example/staged", "b", 2, true);
  EXPECT_TRUE(EntryExists(Db, "http://Blog.Example/Entry"));
  EXPECT_TRUE(EntryExists(Db, "HTTP://BLOG.EXAMPLE/ENTRY"));
  EXPECT_FALSE(EntryExists(Db, "http://blog.example/staged"));
  EXPECT_FALSE(EntryExists(Db, "http://blog.example/other"));
}

TEST_F(EntryStoreTest, AnEntryLoadsWithItsTextDateCommentAndCategories) {
  InsertEntry(Db, "http://b/1", "絵文字🍣と髙橋と①", 45413.5, false);
  InsertEntry(Db, "http://b/2", "素の記事", 45414.25, false);
  InsertCategoryMemberships(Db, 5, {"http://b/1"});
  InsertCategoryMemberships(Db, 2, {"HTTP://B/1", "http://b/1"});
  Comment(Db, "http://b/1", "一行目\r\n二行目\tタブ");

  const auto entries = LoadEntries(Db);
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[0].GetTitle(), "絵文字🍣と髙橋と①");
  EXPECT_DOUBLE_EQ(entries[0].GetDate(), 45413.5);
  EXPECT_EQ(entries[0].GetComment(), "一行目\r\n二行目\tタブ");
  EXPECT_EQ(entries[0].GetCategoryIds(), (std::vector<std::int32_t>{2, 5}))
      << "distinct category ids in ascending order";
  EXPECT_EQ(entries[1].GetComment(), "");
  EXPECT_EQ(entries[1].GetCategoryIds(), (std::vector<std::int32_t>{0}));
  EXPECT_DOUBLE_EQ(entries[1].GetDate(), 45414.25);
}

TEST_F(EntryStoreTest, NoEntriesLoadNothingWhateverElseIsStored) {
  InsertCategoryMemberships(Db, 1, {"http://b/1"});
  Comment(Db, "http://b/1", "残った感想");
  EXPECT_TRUE(LoadEntries(Db).empty());
}

TEST_F(EntryStoreTest, MergingPutsStagedEntriesInFrontAndKeepsTheRest) {
  for (const char* url : {"http://b/old1", "http://b/old2", "http://b/old3"})
    InsertEntry(Db, url, "old", 1, false);
  Comment(Db, "http://b/old2", "感想");
  InsertCategoryMemberships(Db, 3, {"http://b/old3"});
  DeleteEntries(Db, true);
  InsertEntry(Db, "http://b/new1", "new", 2, true);
  InsertEntry(Db, "http://b/new2", "new", 2, true);

  MergeStagedEntries(Db);

  const auto entries = LoadEntries(Db);
  EXPECT_EQ(Urls(entries), (std::vector<std::string>{"http://b/new1", "http://b/new2",
                                                     "http://b/old1", "http://b/old2",
                                                     "http://b/old3"}));
  EXPECT_EQ(Ids(entries), (std::vector<std::int32_t>{1, 2, 3, 4, 5}));
  EXPECT_EQ(entries[3].GetComment(), "感想");
  EXPECT_EQ(entries[4].GetCategoryIds(), (std::vector<std::int32_t>{3}));
  EXPECT_EQ(CountRows(Db, "tmp_entries"), 0);
}

TEST_F(EntryStoreTest, MergingDropsStoredEntriesReadAgainWhateverTheirCase) {
  for (const char* url : {"http://b/old1", "http://b/OLD2", "http://b/old3"})
    InsertEntry(Db, url, "old", 1, false);
  DeleteEntries(Db, true);
  InsertEntry(Db, "http://b/new", "new", 2, true);
  InsertEntry(Db, "http://b/old2", "read again", 2, true);
  Db.GetConnection().ExecuteDirect("insert into tmp_entries values (3, null, 'no url', 2)");

  MergeStagedEntries(Db);

  const auto entries = LoadEntries(Db);
  EXPECT_EQ(Urls(entries), (std::vector<std::string>{"http://b/new", "http://b/old2", "", "http://b/old1",
                                                     "http://b/old3"}))
      << "a staged row without URL must not hide the stored entries";
  EXPECT_EQ(Ids(entries), (std::vector<std::int32_t>{1, 2, 3, 4, 5}));
  EXPECT_EQ(entries[1].GetTitle(), "read again");
}

TEST_F(EntryStoreTest, MergingNothingRenumbersInTheSameOrder) {
  Db.GetConnection().ExecuteDirect(
      "insert into entries values (4, 'http://b/a', 'a', 1);"
      "insert into entries values (9, 'http://b/b', 'b', 1);"
      "insert into entries values (17, 'http://b/c', 'c', 1);");
  MergeStagedEntries(Db);
  const auto entries = LoadEntries(Db);
  EXPECT_EQ(Ids(entries), (std::vector<std::int32_t>{1, 2, 3}));
  EXPECT_EQ(Urls(entries), (std::vector<std::string>{"http://b/a", "http://b/b", "http://b/c"}));
}

TEST_F(EntryStoreTest, AMergeOrReplaceThatFailsPartWayLosesNothing) {
  const struct {
    const char* name;
    void (*step)(TProjectDb&);
  } steps[] = {{"merge", MergeStagedEntries}, {"replace", ReplaceEntriesWithStaged}};
  for (const auto& step : steps) {
    SCOPED_TRACE(step.name);
    Db.New(BlankProject());
    InsertEntry(Db, "http://b/old", "old", 1, false);
    InsertEntry(Db, "http://b/new", "new", 2, true);
    // Fails on the copy back into entries, after entries has been emptied.
    Db.GetConnection().ExecuteDirect(
        "create trigger refuse before insert on entries when new.url = 'http://b/new' "
        "begin select raise(abort, 'refused'); end");

    EXPECT_THROW(step.step(Db), TDbError);

    EXPECT_EQ(Urls(LoadEntries(Db)), (std::vector<std::string>{"http://b/old"}));
    EXPECT_EQ(CountRows(Db, "tmp_entries"), 1);
    EXPECT_EQ(Scalar(Db, "select url as v from tmp_entries"), "http://b/new");
  }
}

}
