#include "store/Tdbconnection.h"
#include "store/Tdberror.h"
#include "store/Tdbquery.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

class DbQueryTest : public ::testing::Test {
protected:
  DbQueryTest() {
    WriteFile(Path, "");
    Connection.SetFileName(Path);
    Connection.ExecuteDirect("create table t (id INTEGER, name TEXT COLLATE NOCASE, 日付 REAL)");
  }

  TempFolder Folder;
  std::string Path = Folder.File("query.db");
  TDbConnection Connection;
  TDbQuery Query{Connection};
};

TEST_F(DbQueryTest, ParametersAreBoundByNameAndFieldsReadByName) {
  Query.SetSql("insert into t (id, name, 日付) values (:ID, :NAME, :DATE)");
  Query.SetInteger("id", -7);
  Query.SetText("Name", "日本語の名前 🍣");
  Query.SetDateTime("DATE", 45412.75);
  Query.Execute();

  Query.SetSql("select id, name, 日付 from t where name = :NAME or name = :NAME");
  Query.SetText("NAME", "日本語の名前 🍣");
  Query.Open();
  ASSERT_FALSE(Query.Eof());
  EXPECT_EQ(Query.GetInteger("ID"), -7);
  EXPECT_EQ(Query.GetText("name"), "日本語の名前 🍣");
  EXPECT_DOUBLE_EQ(Query.GetDateTime("日付"), 45412.75);
  Query.Next();
  EXPECT_TRUE(Query.Eof());
}

TEST_F(DbQueryTest, ValuesStaySetAcrossExecutionsUntilTheSqlChanges) {
  Query.SetSql("insert into t (id, name) values (:ID, :NAME)");
  Query.SetInteger("ID", 1);
  for (const char* name : {"a", "b", "c"}) {
    Query.SetText("NAME", name);
    Query.Execute();
  }
  Query.SetSql("select count(*) as n from t where id = 1");
  Query.Open();
  EXPECT_EQ(Query.GetInteger("n"), 3);

  Query.SetSql("insert into t (id, name) values (:ID, :NAME)");
  Query.SetText("NAME", "d");
  EXPECT_THROW(Query.Execute(), TDbError) << "a parameter without a value must not bind NULL";
}

TEST_F(DbQueryTest, NullReadsAsEmptyZeroAndDayZero) {
  Connection.ExecuteDirect("insert into t values (NULL, NULL, NULL)");
  Query.SetSql("select * from t");
  Query.Open();
  EXPECT_EQ(Query.GetText("name"), "");
  EXPECT_EQ(Query.GetInteger("id"), 0);
  EXPECT_EQ(Query.GetDateTime("日付"), 0.0);

  Query.SetSql("select max(id) as maxid from t where id > 100");
  Query.Open();
  ASSERT_FALSE(Query.Eof());
  EXPECT_EQ(Query.GetInteger("maxid"), 0);
}

TEST_F(DbQueryTest, MistakesRaiseClearErrors) {
  Query.SetSql("select * from nowhere");
  try {
    Query.Open();
    FAIL() << "a missing table must raise";
  } catch (const TDbError& e) {
    EXPECT_NE(std::string(e.what()).find("no such table: nowhere"), std::string::npos) << e.what();
  }
  Query.SetSql("select id from t where id = :ID");
  EXPECT_THROW(Query.SetInteger("OTHER", 1), TDbError);
  Query.SetInteger("ID", 1);
  Query.Open();
  EXPECT_TRUE(Query.Eof());
  EXPECT_THROW(Query.GetText("id"), TDbError) << "no current row";

  Connection.ExecuteDirect("insert into t (id) values (1)");
  Query.Open();
  EXPECT_THROW(Query.GetText("missing"), TDbError);
}

TEST_F(DbQueryTest, FirstGoesBackToTheFirstRow) {
  Connection.ExecuteDirect("insert into t (id) values (1), (2), (3)");
  Query.SetSql("select id from t order by id");
  Query.Open();
  Query.Next();
  Query.Next();
  EXPECT_EQ(Query.GetInteger("id"), 3);
  Query.First();
  EXPECT_EQ(Query.GetInteger("id"), 1);
}

TEST_F(DbQueryTest, AQueryReopensAClosedConnectionAtItsPath) {
  Query.SetSql("insert into t (id) values (:ID)");
  Query.SetInteger("ID", 5);
  Query.Execute();
  Connection.Close();
  ASSERT_FALSE(Connection.IsConnected());

  Query.SetInteger("ID", 6);
  Query.Execute();
  EXPECT_TRUE(Connection.IsConnected());
  Query.SetSql("select count(*) as n from t");
  Query.Open();
  EXPECT_EQ(Query.GetInteger("n"), 2);
}

TEST_F(DbQueryTest, OpeningNeverCreatesAFileAndRejectsOtherFiles) {
  TDbConnection missing;
  missing.SetFileName(Folder.File("missing.db"));
  EXPECT_THROW(missing.Open(), TDbError);
  EXPECT_FALSE(std::filesystem::exists(Folder.File("missing.db")));

  WriteFile(Folder.File("text.db"), std::string(4096, 'x'));
  TDbConnection text;
  text.SetFileName(Folder.File("text.db"));
  try {
    text.Open();
    FAIL() << "a text file must not open as a database";
  } catch (const TDbError& e) {
    EXPECT_NE(std::string(e.what()).find("not a database"), std::string::npos) << e.what();
  }
  EXPECT_FALSE(text.IsConnected());
}

TEST_F(DbQueryTest, ATransactionRollsBackUnlessCommitted) {
  {
    TDbTransaction transaction(Connection);
    Connection.ExecuteDirect("insert into t (id) values (1)");
  }
  {
    TDbTransaction transaction(Connection);
    Connection.ExecuteDirect("insert into t (id) values (2)");
    transaction.Commit();
  }
  Query.SetSql("select group_concat(id) as ids from t");
  Query.Open();
  EXPECT_EQ(Query.GetText("ids"), "2");
}

}
