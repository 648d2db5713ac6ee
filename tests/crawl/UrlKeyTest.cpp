#include "net/Tkurlkey.h"

#include "support/TempFolder.h"

#include <sqlite3.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>

using namespace std::string_literals;

namespace {

// How many rows of a url column declared as the project's are taken as url.
int Matches(sqlite3* db, const std::string& url) {
  sqlite3_stmt* raw = nullptr;
  EXPECT_EQ(sqlite3_prepare_v2(db, "SELECT count(*) FROM entries WHERE url = ?1", -1, &raw, nullptr), SQLITE_OK);
  std::unique_ptr<sqlite3_stmt, decltype(&sqlite3_finalize)> statement(raw, &sqlite3_finalize);
  sqlite3_bind_text(raw, 1, url.data(), static_cast<int>(url.size()), SQLITE_TRANSIENT);
  EXPECT_EQ(sqlite3_step(raw), SQLITE_ROW);
  return sqlite3_column_int(raw, 0);
}

} // namespace

TEST(UrlKeyTest, KeysMatchWhereTheUrlColumnsTakeTwoUrlsAsOne) {
  struct Case {
    std::string stored;
    std::string other;
    bool same;
  };
  const Case cases[] = {
      {"http://Example.JP/Entry?ID=1", "http://example.jp/entry?id=1", true},
      {"http://example.jp/a", "http://example.jp/b", false},
      {"http://example.jp/Ä", "http://example.jp/ä", false},
      {"http://example.jp/a", "http://example.jp/a/", false},
      {"http://a/\0x"s, "http://A/\0Y"s, true},
      {"http://a/\0x"s, "http://a/\0xy"s, false},
      {"http://a/"s, "http://a/\0"s, false},
      {"http://a/\0"s, "http://a/x"s, false},
  };
  TempFolder folder;
  sqlite3* raw = nullptr;
  ASSERT_EQ(sqlite3_open(folder.File("keys.db").c_str(), &raw), SQLITE_OK);
  std::unique_ptr<sqlite3, decltype(&sqlite3_close)> db(raw, &sqlite3_close);
  ASSERT_EQ(sqlite3_exec(raw, "CREATE TABLE entries (id INTEGER PRIMARY KEY, url TEXT COLLATE NOCASE)",
                         nullptr, nullptr, nullptr),
            SQLITE_OK);
  sqlite3_stmt* insert = nullptr;
  ASSERT_EQ(sqlite3_prepare_v2(raw, "INSERT INTO entries (url) VALUES (?1)", -1, &insert, nullptr), SQLITE_OK);

  for (const Case& c : cases) {
    ASSERT_EQ(sqlite3_exec(raw, "DELETE FROM entries", nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_reset(insert);
    sqlite3_bind_text(insert, 1, c.stored.data(), static_cast<int>(c.stored.size()), SQLITE_TRANSIENT);
    ASSERT_EQ(sqlite3_step(insert), SQLITE_DONE);
    EXPECT_EQ(Matches(raw, c.other), c.same ? 1 : 0) << c.other;
    EXPECT_EQ(UrlKey(c.stored) == UrlKey(c.other), c.same) << c.other;
  }
  sqlite3_finalize(insert);
}
