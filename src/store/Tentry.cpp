#include "store/Tentry.h"

#include "store/Tprojectdb.h"

#include <algorithm>
#include <utility>

namespace {

std::string TargetTable(bool staging) {
  return staging ? "tmp_entries" : "entries";
}

std::int32_t SingleInteger(TProjectDb& db, const std::string& sql, const std::string& field) {
  db.Query.Close();
  db.Query.SetSql(sql);
  db.Query.Open();
  const std::int32_t value = db.Query.GetInteger(field);
  db.Query.Close();
  return value;
}

void MoveStagedIntoEntries(TProjectDb& db) {
  db.Query.Close();
  db.Query.SetSql("delete from entries");
  db.Query.Execute();
  db.Query.SetSql(
      "insert into entries (id, url, タイトル, 日付) select id, url, タイトル, 日付 from tmp_entries");
  db.Query.Execute();
  db.Query.SetSql("delete from tmp_entries");
  db.Query.Execute();
}

}

TEntry::TEntry(std::int32_t id, std::string url, std::string title, TDateTime date,
               std::string comment, std::vector<std::int32_t> categoryIds)
    : Id(id), Url(std::move(url)), Title(std::move(title)), Date(date),
      Comment(std::move(comment)), CategoryIds(std::move(categoryIds)) {}

void DeleteEntries(TProjectDb& db, bool staging) {
  db.Query.SetSql("delete from " + TargetTable(staging));
  db.Query.Execute();
}

std::int32_t GetMaxEntryId(TProjectDb& db, bool staging) {
  return SingleInteger(db, "select max(id) as maxid from " + TargetTable(staging), "maxid");
}

void InsertEntry(TProjectDb& db, const std::string& url, const std::string& title, TDateTime date,
                 bool staging) {
  const std::int32_t id = GetMaxEntryId(db, staging) + 1;
  db.Query.Close();
  db.Query.SetSql("INSERT INTO " + TargetTable(staging) +
                  " (id, url, タイトル, 日付)  VALUES (:ID, :URL, :TITLE, :DATE)");
  db.Query.SetInteger("ID", id);
  db.Query.SetText("URL", url);
  db.Query.SetText("TITLE", title);
  db.Query.SetDateTime("DATE", date);
  db.Query.Execute();
}

std::int32_t CountEntries(TProjectDb& db, bool staging) {
  return SingleInteger(db, "select count(*) as cnt from " + TargetTable(staging), "cnt");
}

bool EntryExists(TProjectDb& db, const std::string& url) {
  db.Query.SetSql("select count(*) as cnt from entries where url=:URL");
  db.Query.SetText("URL", url);
  db.Query.Open();
  db.Query.First();
  const std::int32_t count = db.Query.GetInteger("cnt");
  db.Query.Close();
  return count > 0;
}

std::vector<TEntry> LoadEntries(TProjectDb& db) {
  // Rows come ordered by id, one per membership; the distinct, ascending category
  // ids of an entry are made here rather than by a DISTINCT over the whole rows,
  // which costs more than the rest of the query.
  std::vector<TEntry> entries;
  entries.reserve(static_cast<std::size_t>(CountEntries(db, false)));
  db.Query.SetSql(
      "SELECT entries.id, entries.url, entries.タイトル, entries.日付, comments.comment, "
      "categories_entry.category_id FROM (entries LEFT JOIN comments ON entries.url = "
      "comments.url) LEFT JOIN categories_entry ON entries.url = categories_entry.url ORDER BY "
      "entries.id");
  db.Query.Open();
  db.Query.First();
  std::vector<std::int32_t> categoryIds;
  const auto finishLast = [&] {
    std::sort(categoryIds.begin(), categoryIds.end());
    categoryIds.erase(std::unique(categoryIds.begin(), categoryIds.end()), categoryIds.end());
    entries.back().SetCategoryIds(std::move(categoryIds));
    categoryIds.clear();
  };
  for (; !db.Query.Eof(); db.Query.Next()) {
    const std::int32_t id = db.Query.GetInteger("id");
    if (entries.empty() || entries.back().GetId() != id) {
      if (!entries.empty())
        finishLast();
      entries.emplace_back(id, db.Query.GetText("url"), db.Query.GetText("タイトル"),
                           db.Query.GetDateTime("日付"), db.Query.GetText("comment"));
    }
    categoryIds.push_back(db.Query.GetInteger("category_id"));
  }
  if (!entries.empty())
    finishLast();
  db.Query.Close();
  return entries;
}

void MergeStagedEntries(TProjectDb& db) {
  TDbTransaction transaction(db.GetConnection());
  const std::int32_t staged = GetMaxEntryId(db, true);
  // One statement instead of an insert per stored entry; the IN list is built once
  // and its nulls left out, which would otherwise make every comparison unknown.
  db.Query.SetSql(
      "insert into tmp_entries (id, url, タイトル, 日付) select :BASE + row_number() over "
      "(order by id), url, タイトル, 日付 from entries where url is null or url collate nocase "
      "not in (select url from tmp_entries where url is not null) order by id");
  db.Query.SetInteger("BASE", staged);
  db.Query.Execute();
  MoveStagedIntoEntries(db);
  transaction.Commit();
}

void ReplaceEntriesWithStaged(TProjectDb& db) {
  TDbTransaction transaction(db.GetConnection());
  MoveStagedIntoEntries(db);
  transaction.Commit();
}
