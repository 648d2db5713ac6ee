#pragma once

#include "store/Tdbquery.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

class TProjectDb;

// One blog entry with its comment and the ids of the categories it is listed in
// (the single id 0 when it is in none).
class TEntry {
public:
  TEntry() = default;
  TEntry(std::int32_t id, std::string url, std::string title, TDateTime date,
         std::string comment = {}, std::vector<std::int32_t> categoryIds = {});

  std::int32_t GetId() const { return Id; }
  const std::string& GetUrl() const { return Url; }
  const std::string& GetTitle() const { return Title; }
  TDateTime GetDate() const { return Date; }
  const std::string& GetComment() const { return Comment; }
  void SetComment(const std::string& comment) { Comment = comment; }
  std::vector<std::int32_t> GetCategoryIds() const { return CategoryIds; }
  void SetCategoryIds(std::vector<std::int32_t> ids) { CategoryIds = std::move(ids); }

private:
  std::int32_t Id = 0;
  std::string Url;
  std::string Title;
  TDateTime Date = 0;
  std::string Comment;
  std::vector<std::int32_t> CategoryIds;
};

// The staging flag selects tmp_entries (true) or entries (false).
void DeleteEntries(TProjectDb& db, bool staging);
std::int32_t GetMaxEntryId(TProjectDb& db, bool staging);
void InsertEntry(TProjectDb& db, const std::string& url, const std::string& title, TDateTime date,
                 bool staging);
// Looks in entries only; a staged URL does not count.
bool EntryExists(TProjectDb& db, const std::string& url);
std::int32_t CountEntries(TProjectDb& db, bool staging);
// Every entry with its comment and category ids, in ascending id order.
std::vector<TEntry> LoadEntries(TProjectDb& db);
// Puts the current entries whose URL is not staged (compared without regard to
// case) behind the staged ones in their order, makes that the new entries and
// empties tmp_entries, all or nothing.
void MergeStagedEntries(TProjectDb& db);
// Makes the staged entries the new entries and empties tmp_entries, all or nothing.
void ReplaceEntriesWithStaged(TProjectDb& db);
