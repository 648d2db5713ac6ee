#include "StoreFixture.h"

#include "store/Tentry.h"
#include "store/Tproject.h"

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <functional>
#include <stdexcept>
#include <vector>

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// A saved project with one entry is current; every bad file must leave both the
// working copy and that saved file as they were.
class ProjectDbBadInputTest : public StoreTest {
protected:
  ProjectDbBadInputTest() {
    InsertEntry(Db, "http://blog.example/1", "大事な記事", 45000, false);
    Db.SaveTo(Saved);
    SavedBytes = ReadFile(Saved);
    Db.Open(Saved);
  }

  void ExpectOpenFails(const std::string& file, const std::string& expected) {
    try {
      Db.Open(file);
      ADD_FAILURE() << "opening " << file << " must fail";
    } catch (const std::runtime_error& e) {
      EXPECT_NE(std::string(e.what()).find(expected), std::string::npos) << e.what();
    }
    ExpectNothingLost();
  }

  void ExpectNothingLost() {
    EXPECT_EQ(Db.GetFileName(), Saved);
    const auto entries = LoadEntries(Db);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].GetTitle(), "大事な記事");
    EXPECT_EQ(ReadFile(Saved), SavedBytes);
  }

  std::string Saved = Folder.File("saved.proj");
  std::string SavedBytes;
};

TEST_F(ProjectDbBadInputTest, AFileThatIsNotADatabase) {
  const std::string file = Folder.File("notes.proj");
  WriteFile(file, "これはプロジェクトファイルではありません。\n" + std::string(5000, 'x'));
  ExpectOpenFails(file, "notes.proj を開けません。プロジェクトファイルではないか、壊れています。");
}

TEST_F(ProjectDbBadInputTest, ADatabaseWithoutTheProjectTables) {
  const std::string file = Folder.File("other.db");
  WriteFile(file, "");
  TDbConnection other;
  other.SetFileName(file);
  other.ExecuteDirect("create table config (name TEXT, data TEXT); create table notes (x TEXT)");
  other.Close();
  ExpectOpenFails(file, "テーブル entries がありません");
}

TEST_F(ProjectDbBadInputTest, AMissingFileOrAFolder) {
  ExpectOpenFails(Folder.File("missing.proj"), "データファイルの作成に失敗しました。");
  fs::create_directory(Folder.File("folder.proj"));
  ExpectOpenFails(Folder.File("folder.proj"), "データファイルの作成に失敗しました。");
}

TEST_F(ProjectDbBadInputTest, AnUnreadableFile) {
  if (geteuid() == 0)
    GTEST_SKIP() << "permissions do not stop root";
  const std::string file = Folder.File("locked.proj");
  fs::copy_file(Saved, file);
  chmod(file.c_str(), 0);
  ExpectOpenFails(file, "データファイルの作成に失敗しました。");
}

TEST_F(ProjectDbBadInputTest, ATruncatedProjectFile) {
  for (int i = 2; i < 3000; ++i)
    InsertEntry(Db, "http://blog.example/" + std::to_string(i), std::string(200, 'x'), 45000, false);
  const std::string big = Folder.File("big.proj");
  Db.SaveTo(big);
  Db.Open(Saved);
  const std::string bytes = ReadFile(big);
  const std::string cut = Folder.File("cut.proj");
  WriteFile(cut, bytes.substr(0, bytes.size() / 2));
  ExpectOpenFails(cut, "壊れています");
}

TEST_F(ProjectDbBadInputTest, LoadingABadFileLeavesTheProjectSettingsAlone) {
  TProject project;
  project.SetEntryUrl("https://blog.example/");
  project.Save(Saved, Db);
  SavedBytes = ReadFile(Saved);
  const std::string file = Folder.File("notes.proj");
  WriteFile(file, std::string(5000, 'x'));
  EXPECT_THROW(project.Load(file, Db), std::runtime_error);
  EXPECT_EQ(project.GetEntryUrl(), "https://blog.example/");
  EXPECT_EQ(project.GetFileName(), Saved);
  ExpectNothingLost();
}

TEST_F(ProjectDbBadInputTest, SavingWhereNoFileCanBeWritten) {
  const std::string blocker = Folder.File("plain-file");
  WriteFile(blocker, "x");
  for (const std::string& target : {Folder.File("missing/new.proj"), blocker + "/new.proj"}) {
    try {
      Db.SaveTo(target);
      ADD_FAILURE() << "saving to " << target << " must fail";
    } catch (const std::runtime_error& e) {
      EXPECT_NE(std::string(e.what()).find(target + " に保存できません。"), std::string::npos)
          << e.what();
    }
  }
  ExpectNothingLost();
}

TEST_F(ProjectDbBadInputTest, AFailedSaveLeavesTheOldFileAndNoLeftovers) {
  fs::create_directory(Folder.File("taken.proj"));
  WriteFile(Folder.File("taken.proj/inside"), "x");
  EXPECT_THROW(Db.SaveTo(Folder.File("taken.proj")), std::runtime_error);
  EXPECT_TRUE(fs::is_directory(Folder.File("taken.proj")));
  size_t items = 0;
  for ([[maybe_unused]] const auto& item : fs::directory_iterator(Folder.Path()))
    ++items;
  EXPECT_EQ(items, 2u) << "only the saved project and the folder";
  ExpectNothingLost();
}

// A disk that fills during the save (a file size limit, as a full disk fails the
// writes): the save fails and leaves neither its file nor its journal.
TEST_F(ProjectDbBadInputTest, ASaveIntoAFullDiskLeavesNoLeftovers) {
  for (int i = 2; i < 400; ++i)
    InsertEntry(Db, "http://blog.example/" + std::to_string(i), std::string(300, 'x'), 45000, false);
  const std::string target = Folder.File("full.proj");
  for (const rlim_t room : {0, 512, 4096, 8192, 32768, 65536}) {
    SCOPED_TRACE(room);
    const pid_t child = fork();
    if (child == 0) {
      std::signal(SIGXFSZ, SIG_IGN);
      const rlimit limit{room, room};
      setrlimit(RLIMIT_FSIZE, &limit);
      try {
        Db.SaveTo(target);
      } catch (const std::runtime_error&) {
        _exit(0);
      }
      _exit(1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the save must fail";
    std::vector<std::string> names;
    for (const auto& item : fs::directory_iterator(Folder.Path()))
      names.push_back(item.path().filename().string());
    EXPECT_EQ(names, std::vector<std::string>{"saved.proj"});
  }
}

// What dead saves of this project left goes with its next save or open; a save
// that still runs (it holds its file locked) and other projects' files stay.
TEST_F(ProjectDbBadInputTest, LeftoversOfDeadSavesGoAndThoseOfRunningSavesStay) {
  const std::vector<std::string> dead{".saved.proj.tocwerk-dead0001", ".saved.proj.tocwerk-dead0001-journal",
                                      ".saved.proj.tocwerk-dead0002-wal"};
  const std::vector<std::string> kept{".saved.proj.tocwerk-running", ".other.proj.tocwerk-dead0003",
                                      ".tocwerk-olderrun"};
  const auto leave = [&] {
    for (const auto& names : {dead, kept})
      for (const std::string& name : names)
        WriteFile(Folder.File(name), "x");
  };
  const auto left = [&] {
    std::vector<std::string> names;
    for (const auto& item : fs::directory_iterator(Folder.Path()))
      names.push_back(item.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  };
  std::vector<std::string> expected = kept;
  expected.push_back("saved.proj");
  std::sort(expected.begin(), expected.end());

  leave();
  const TProjectLock running = TProjectLock::Acquire(Folder.File(kept[0]), kept[0]);
  Db.SaveTo(Saved);
  EXPECT_EQ(left(), expected) << "after a save";
  leave();
  Db.Open(Saved);
  EXPECT_EQ(left(), expected) << "after an open";
}

TEST_F(ProjectDbBadInputTest, SavingIntoAReadOnlyFolder) {
  if (geteuid() == 0)
    GTEST_SKIP() << "permissions do not stop root";
  chmod(Folder.Path().c_str(), 0555);
  EXPECT_THROW(Db.SaveTo(Saved), std::runtime_error);
  chmod(Folder.Path().c_str(), 0755);
  ExpectNothingLost();
}

}

namespace {

// A copy of the blank project changed by sql: what a careless or hostile program may
// leave in a file that still has the six tables.
std::string AlteredProject(const TempFolder& folder, const std::string& name, const std::string& sql) {
  const std::string file = folder.File(name);
  fs::copy_file(BlankProject(), file);
  TDbConnection connection;
  connection.SetFileName(file);
  connection.ExecuteDirect(sql);
  return file;
}

TEST_F(ProjectDbBadInputTest, FilesWithTheTablesButNotTheirShapeChangeNothing) {
  TProject project;
  project.SetEntryUrl("https://blog.example/");
  project.Save(Saved, Db);
  SavedBytes = ReadFile(Saved);
  const struct {
    std::string sql;
    std::string detail;
  } cases[] = {
      {"drop table config; create table config (name TEXT, value TEXT)", "テーブル config に列 data がありません"},
      {"drop table html; create table html (name TEXT)", "テーブル html に列 data がありません"},
      {"drop table categories; create table categories (id INTEGER, name TEXT)",
       "テーブル categories に列 url がありません"},
      {"drop table entries; create table entries (id INTEGER, url TEXT, タイトル TEXT, 日付 REAL, x TEXT)",
       "テーブル entries の列が違います"},
      {"drop table tmp_entries; create table tmp_entries (id INTEGER, url TEXT)", "テーブル tmp_entries の列が違います"},
      {"create trigger wipe after insert on entries begin delete from comments; end", "トリガーまたはビューがあります"},
      {"create view every_entry as select * from entries", "トリガーまたはビューがあります"},
  };
  for (const auto& c : cases) {
    const std::string file = AlteredProject(Folder, "altered.proj", c.sql);
    try {
      project.Load(file, Db);
      ADD_FAILURE() << c.sql;
    } catch (const std::runtime_error& e) {
      const std::string message = e.what();
      EXPECT_NE(message.find("altered.proj を開けません。プロジェクトファイルではないか、壊れています。"), std::string::npos);
      EXPECT_NE(message.find(c.detail), std::string::npos) << message;
    }
    EXPECT_EQ(project.GetEntryUrl(), "https://blog.example/") << c.sql;
    ExpectNothingLost();
    fs::remove(file);
  }
  project.Save(project.GetFileName(), Db);
  TProjectDb reader;
  reader.SetReadOnly(true);
  reader.Open(Saved);
  EXPECT_EQ(LoadEntries(reader).at(0).GetTitle(), "大事な記事") << "the next save writes the user's own project";
}

// Values of a type the program does not read there: text ids fold into one entry,
// BLOB addresses match nothing.
TEST_F(ProjectDbBadInputTest, ValuesOfTheWrongTypeAreRefusedAndNullsWhereAllowedAreNot) {
  const std::string textIdEntries =
      "drop table entries; create table entries (id TEXT, url TEXT, タイトル TEXT, 日付 REAL); ";
  const struct {
    std::string sql;
    std::string table;  // empty: the file opens
  } cases[] = {
      {textIdEntries + "insert into entries values ('a', 'http://blog.example/a', 'A', 45000)", "entries"},
      {textIdEntries + "insert into entries values ('7', 'http://blog.example/a', 'A', 45000)", "entries"},
      {"insert into entries values (1, x'687474703a2f2f', 'A', 45000)", "entries"},
      {"insert into entries values (1, 'http://blog.example/a', x'41', 45000)", "entries"},
      {"insert into entries values (1, 'http://blog.example/a', 'A', 'yesterday')", "entries"},
      {"insert into tmp_entries values (1, x'00', 'A', 45000)", "tmp_entries"},
      {"insert into categories values ('x', '料理', 'http://blog.example/c')", "categories"},
      {"insert into categories values (1, x'41', 'http://blog.example/c')", "categories"},
      {"insert into categories_entry values ('x', 'http://blog.example/a')", "categories_entry"},
      {"insert into categories_entry values (1, x'41')", "categories_entry"},
      {"insert into comments values ('http://blog.example/a', x'00ff')", "comments"},
      {"insert into comments values (x'41', 'コメント')", "comments"},
      {"insert into entries values (1, null, null, null); insert into categories values (null, null, null); "
       "insert into categories_entry values (null, null); insert into comments values (null, null)",
       ""},
      {"insert into entries values (1, 'http://blog.example/a', 'A', 45000.5); "
       "insert into entries values (2, 'http://blog.example/b', '2024', 45001)",
       ""},
  };
  for (const auto& c : cases) {
    const std::string file = AlteredProject(Folder, "typed.proj", c.sql);
    const std::string bytes = ReadFile(file);
    if (c.table.empty()) {
      EXPECT_NO_THROW(Db.Open(file)) << c.sql;
      Db.Open(Saved);
    } else {
      ExpectOpenFails(file, "typed.proj を開けません。プロジェクトファイルではないか、壊れています。\n(テーブル " +
                                c.table + " に型の違う値があります)");
    }
    EXPECT_EQ(ReadFile(file), bytes) << c.sql;
    fs::remove(file);
  }
}

TEST_F(ProjectDbBadInputTest, AVersion1FileThatAlreadyStagesOpensAndIsUpgraded) {
  const std::string file = AlteredProject(Folder, "old.proj", "update config set data='1' where name='version'");
  TProject project;
  project.Load(file, Db);
  EXPECT_EQ(Db.GetVersion(), 2);
}

TEST_F(ProjectDbBadInputTest, EveryValidNameSavesLinksStayLinksReadOnlyStaysReadOnly) {
  std::string longName;
  for (int i = 0; i < 80; ++i)
    longName += "目";
  const std::string real = Folder.File("real.proj");
  fs::copy_file(Saved, real);
  fs::create_symlink("real.proj", Folder.File("link.proj"));
  fs::create_symlink("made-by-link.proj", Folder.File("dangling.proj"));
  WriteFile(Folder.File("readonly.proj"), "keep me");
  chmod(Folder.File("readonly.proj").c_str(), 0444);
  fs::create_directory(Folder.File("folder.proj"));
  mkfifo(Folder.File("pipe.proj").c_str(), 0600);
  const struct {
    std::string name;
    std::string written;
    std::string refusal;
  } cases[] = {
      {longName + ".proj", longName + ".proj", ""},
      {"link.proj", "real.proj", ""},
      {"dangling.proj", "made-by-link.proj", ""},
      {"readonly.proj", "", "ファイルへの書き込みが許可されていません。"},
      {"folder.proj", "", "保存先が通常のファイルではありません。"},
      {"pipe.proj", "", "保存先が通常のファイルではありません。"},
  };
  for (const auto& c : cases) {
    const std::string target = Folder.File(c.name);
    try {
      Db.SaveTo(target);
      EXPECT_TRUE(c.refusal.empty()) << c.name << " must be refused";
      TProjectDb reader;
      reader.SetReadOnly(true);
      reader.Open(Folder.File(c.written));
      EXPECT_EQ(LoadEntries(reader).size(), 1u) << c.name;
    } catch (const std::runtime_error& e) {
      EXPECT_EQ(e.what(), target + " に保存できません。" + c.refusal) << c.name;
    }
  }
  EXPECT_TRUE(fs::is_symlink(Folder.File("link.proj")));
  EXPECT_TRUE(fs::is_symlink(Folder.File("dangling.proj")));
  EXPECT_EQ(ReadFile(Folder.File("readonly.proj")), "keep me");
  EXPECT_TRUE(fs::is_fifo(Folder.File("pipe.proj")));
  for (const auto& item : fs::directory_iterator(Folder.Path()))
    EXPECT_NE(item.path().filename().string().rfind(".tocwerk-", 0), 0u) << "leftover " << item.path();
}

TEST_F(ProjectDbBadInputTest, OneWriterPerProjectFile) {
  const std::string inUse = Saved + " は別の Tocwerk が使用中です。";
  TProjectDb other;
  other.New(BlankProject());
  TProject project;
  for (int round = 0; round < 2; ++round) {
    try {
      project.Load(Saved, other);
      ADD_FAILURE() << "a second writer must be refused";
    } catch (const std::runtime_error& e) {
      EXPECT_EQ(e.what(), inUse);
    }
    try {
      other.SaveTo(Saved);
      ADD_FAILURE() << "saving over a project another has open must be refused";
    } catch (const std::runtime_error& e) {
      EXPECT_EQ(e.what(), inUse);
    }
    ExpectNothingLost();
    Db.SaveTo(Saved);  // the lock goes with the new file
    SavedBytes = ReadFile(Saved);
  }
  TProjectDb reader;
  reader.SetReadOnly(true);
  reader.Open(Saved);
  EXPECT_EQ(LoadEntries(reader).size(), 1u) << "reading needs no lock";
  EXPECT_THROW(reader.SaveTo(Saved), std::runtime_error);

  Db.New(BlankProject());
  project.Load(Saved, other);
  EXPECT_EQ(LoadEntries(other).size(), 1u) << "File New lets the project go";
}

TEST_F(ProjectDbBadInputTest, SavingRefusesToOverwriteWhatAnotherProgramWrote) {
  const std::string changed = Saved + " に保存できません。読み込んだ後に別のプログラムがこのファイルを書き換えています。";
  const std::function<void()> writers[] = {
      [&] {
        TDbConnection elsewhere;
        elsewhere.SetFileName(Saved);
        elsewhere.ExecuteDirect("insert into comments values ('http://blog.example/1', '別のプログラム')");
      },
      [&] {
        WriteFile(Folder.File("replacement"), "置き換え");
        fs::rename(Folder.File("replacement"), Saved);
      },
  };
  for (const auto& write : writers) {
    Db.Open(Saved);
    write();
    const std::string theirs = ReadFile(Saved);
    try {
      Db.SaveTo(Saved);
      ADD_FAILURE() << "the other program's change must not be overwritten";
    } catch (const std::runtime_error& e) {
      EXPECT_EQ(std::string(e.what()).rfind(changed, 0), 0u) << e.what();
    }
    EXPECT_EQ(ReadFile(Saved), theirs);
    Db.SaveTo(Folder.File("mine.proj"));
    Db.SaveTo(Saved);  // not the file loaded any more: the newer save is the user's
    fs::copy_file(Folder.File("mine.proj"), Saved, fs::copy_options::overwrite_existing);
  }
}

}
