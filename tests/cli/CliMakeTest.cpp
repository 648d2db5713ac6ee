#include "CliRun.h"

#include "store/Tdbconnection.h"
#include "store/Tdbquery.h"
#include "support/PrivateWorkFolder.h"
#include "support/ScopedEnv.h"

#include <QProcess>
#include <QStringList>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include <signal.h>
#include <sys/stat.h>

namespace fs = std::filesystem;

namespace {

// Template programs as shell scripts: each is a real process with a known ending.
const struct {
  const char* file;
  const char* name;
  const char* script;
} Programs[] = {
    {"copy", "複写", "cp \"$1\" \"$2\"\n"},
    {"record", "記録", "printf '%s\\n' \"$@\" > \"$2\"\n"},
    {"fail", "失敗", "echo 書けません >&2\nexit 3\n"},
    {"crash", "異常終了", "echo 落ちます >&2\nkill -KILL $$\n"},
    {"slow", "遅い", "touch \"$2.started\"\nsleep 1\ncp \"$1\" \"$2\"\n"},
    {"stubborn", "止まらない", "trap '' TERM INT HUP\necho $$ > \"$2.pid\"\ntouch \"$2.started\"\nwhile :; do sleep 0.1; done\n"},
};

// A data folder of its own (the bundled blank databases, templates that are shell
// scripts) and a temporary folder of its own, so that every generation database a
// run leaves behind can be seen.
class CliMakeTest : public ::testing::Test {
protected:
  CliMakeTest() : Tmpdir("TMPDIR", Folder.File("tmp")) {
    WriteFile(Config, "[HTTP_PROXY]\nUseProxy=0\nSleepTime=0\n");
    fs::create_directories(Folder.File("tmp"));
    fs::create_directories(Data + "template");
    fs::copy(fs::path(TOCWERK_CLI).parent_path() / "db", Data + "db");
    for (const auto& program : Programs) {
      const std::string script = Data + "template/" + program.file + ".sh";
      WriteFile(script, std::string("#!/bin/sh\n") + program.script);
      fs::permissions(script, fs::perms(0755));
      WriteFile(Data + "template/" + program.file + ".ini",
                std::string("[TEMPLATE]\nname=") + program.name + "\nexe=" + program.file +
                    ".sh\n[CONFIG]\n1=Title\n2=ＡＢＣ\n");
    }
    WriteFile(Data + "template/missing.ini", "[TEMPLATE]\nname=無い\nexe=missing.sh\n");
    const CliResult init = Cli({"init", Project, "--url", "http://127.0.0.1:1/", "--set", "TITLE=保存した題",
                                "--set", "ａｂｃ=全角", "--set", "extra=x", "--set", "空="});
    EXPECT_EQ(init.Status, 0) << init.Err;
  }

  CliResult Cli(std::vector<std::string> arguments) const {
    arguments.insert(arguments.begin(), {"--data-dir", Data});
    return RunCli(arguments, Config);
  }

  std::vector<std::string> LeftInTmp() const {
    std::vector<std::string> names;
    for (const auto& item : fs::directory_iterator(Folder.File("tmp")))
      names.push_back(item.path().string());
    return names;
  }

  PrivateWorkFolder Work;
  TempFolder Folder;
  ScopedEnv Tmpdir;
  std::string Config = Folder.File("Tocwerk.ini");
  std::string Data = Folder.File("data/");
  std::string Project = Folder.File("p.proj");
};

// Every row of the html table of a generation database, name and value joined by "=".
std::vector<std::string> HtmlRows(const std::string& file) {
  TDbConnection connection;
  connection.SetFileName(file);
  TDbQuery query(connection);
  query.SetSql("select name, data from html order by rowid");
  std::vector<std::string> rows;
  for (query.Open(); !query.Eof(); query.Next())
    rows.push_back(query.GetText("name") + "=" + query.GetText("data"));
  return rows;
}

TEST_F(CliMakeTest, TheProjectAndWhatIsNoRegularFileAreNeverWrittenOver) {
  fs::create_symlink(Project, Folder.File("link.proj"));
  fs::create_hard_link(Project, Folder.File("hard.proj"));
  fs::create_directory(Folder.File("folder.html"));
  ASSERT_EQ(mkfifo(Folder.File("pipe.html").c_str(), 0600), 0);
  const std::string before = ReadFile(Project);
  const struct {
    std::string output;
    std::vector<std::string> flags;
    std::string reason;
  } cases[] = {
      {Project, {}, "出力先がプロジェクトファイルと同じです。"},
      {Project, {"--wait"}, "出力先がプロジェクトファイルと同じです。"},
      {Folder.File("link.proj"), {}, "出力先がプロジェクトファイルと同じです。"},
      {Folder.File("hard.proj"), {}, "出力先がプロジェクトファイルと同じです。"},
      {Folder.File("tmp/../p.proj"), {}, "出力先がプロジェクトファイルと同じです。"},
      {Folder.File("folder.html"), {}, "保存先が通常のファイルではありません。"},
      {Folder.File("pipe.html"), {"--wait"}, "保存先が通常のファイルではありません。"},
      {Folder.File("no/such/folder.html"), {}, "保存先のフォルダーが存在しないか、書き込みが許可されていません。"},
      {Folder.File("no/such/folder.html"), {"--wait"}, "保存先のフォルダーが存在しないか、書き込みが許可されていません。"},
  };
  for (const auto& c : cases) {
    std::vector<std::string> arguments{"make", Project, c.output, "--template", "複写"};
    arguments.insert(arguments.end(), c.flags.begin(), c.flags.end());
    const CliResult result = Cli(arguments);
    EXPECT_EQ(result.Status, 1) << c.output;
    EXPECT_EQ(result.Err, "tocwerk-cli: " + c.output + " に保存できません。" + c.reason + "\n");
    EXPECT_TRUE(LeftInTmp().empty()) << c.output << ": refused before the export";
  }
  EXPECT_EQ(ReadFile(Project), before);
  EXPECT_TRUE(fs::is_symlink(Folder.File("link.proj")));
  EXPECT_TRUE(fs::is_fifo(Folder.File("pipe.html")));
}

TEST_F(CliMakeTest, WaitingRemovesTheGenerationDatabaseHoweverTheProgramEnds) {
  const std::string output = Folder.File("目次.html");
  const struct {
    const char* name;
    int status;
    std::string errorStart;
    std::string errorHas;
  } cases[] = {
      {"複写", 0, "", ""},
      {"失敗", 3, "書けません\n", "書けません\n"},
      {"異常終了", 1, "tocwerk-cli: テンプレートプログラムが異常終了しました。", "落ちます"},
      {"無い", 1, "tocwerk-cli: テンプレートプログラムを起動できません。", "missing.sh"},
  };
  for (const auto& c : cases) {
    const CliResult result = Cli({"make", Project, output, "--template", c.name, "--wait"});
    EXPECT_EQ(result.Status, c.status) << c.name << ": " << result.Err;
    EXPECT_EQ(result.Err.rfind(c.errorStart, 0), 0u) << c.name << ": " << result.Err;
    EXPECT_NE(result.Err.find(c.errorHas), std::string::npos) << c.name << ": " << result.Err;
    EXPECT_TRUE(LeftInTmp().empty()) << c.name;
  }

  const CliResult unstartable = Cli({"make", Project, output, "--template", "無い"});
  EXPECT_EQ(unstartable.Status, 1);
  EXPECT_TRUE(LeftInTmp().empty()) << "nobody will read the database of a program that did not start";

}

// Without --wait the database stays while the program runs and goes when it ends;
// the databases of older runs that nobody holds go at the next make.
TEST_F(CliMakeTest, ADetachedProgramsDatabaseGoesWhenItEnds) {
  const std::string stale = Folder.File("tmp/tocwerk-gen-Old123");
  WriteFile(stale, "");
  WriteFile(stale + "-journal", "");
  const auto twoMinutesAgo = fs::file_time_type::clock::now() - std::chrono::minutes(2);
  fs::last_write_time(stale, twoMinutesAgo);
  fs::last_write_time(stale + "-journal", twoMinutesAgo);

  const std::string output = Folder.File("遅い.html");
  ASSERT_EQ(Cli({"make", Project, output, "--template", "遅い"}).Status, 0);
  for (int i = 0; i < 400 && !fs::exists(output + ".started"); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(25));
  const std::vector<std::string> running = LeftInTmp();
  ASSERT_EQ(running.size(), 1u);
  EXPECT_EQ(fs::path(running[0]).filename().string().rfind("tocwerk-gen-", 0), 0u) << running[0];
  EXPECT_NE(running[0], stale);

  for (int i = 0; i < 400 && !LeftInTmp().empty(); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(25));
  EXPECT_TRUE(fs::exists(output));
  EXPECT_TRUE(LeftInTmp().empty()) << LeftInTmp().front();
}

// A project someone sent: 100,000 template settings and 100,000 entries.
TEST_F(CliMakeTest, SignalsEndEveryCommandOnAHugeProjectPromptly) {
  const std::string project = Folder.File("huge.proj");
  fs::copy_file(Project, project);
  {
    TDbConnection connection;
    connection.SetFileName(project);
    TDbQuery query(connection);
    TDbTransaction transaction(connection);
    query.SetSql("insert into html(name,data) values (:NAME,'値')");
    for (int i = 0; i < 100000; ++i) {
      query.SetText("NAME", "設定" + std::to_string(i));
      query.Execute();
    }
    query.SetSql("insert into entries(id,url,タイトル,日付) values (:ID,:URL,'題',45000)");
    for (int i = 1; i <= 100000; ++i) {
      query.SetInteger("ID", i);
      query.SetText("URL", "http://127.0.0.1:1/entry/" + std::to_string(i));
      query.Execute();
    }
    query.Close();
    transaction.Commit();
  }
  const std::string before = ReadFile(project);
  const struct {
    const char* name;
    std::vector<std::string> arguments;
    int signal;
  } cases[] = {
      {"make, SIGTERM", {"make", project, Folder.File("a.html"), "--template", "複写"}, SIGTERM},
      {"make, SIGINT", {"make", project, Folder.File("b.html"), "--template", "複写"}, SIGINT},
      {"make --wait, SIGHUP", {"make", project, Folder.File("c.html"), "--template", "複写", "--wait"}, SIGHUP},
      {"init, SIGINT", {"init", project, "--set", "新=1"}, SIGINT},
      {"entries, SIGTERM", {"entries", project, "--json"}, SIGTERM},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<std::string> arguments{"--data-dir", Data};
    arguments.insert(arguments.end(), c.arguments.begin(), c.arguments.end());
    const auto cli = StartCli(arguments, Config);
    // Its working copy shows that the command has its handlers and reads the project.
    for (int i = 0; i < 2000 && Work.Files().empty(); ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    kill(static_cast<pid_t>(cli->processId()), c.signal);
    ASSERT_TRUE(cli->waitForFinished(10000));
    EXPECT_EQ(cli->exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(cli->exitCode(), 130) << cli->readAllStandardError().toStdString();
    EXPECT_EQ(ReadFile(project), before);
    EXPECT_TRUE(Work.Files().empty());
    for (int i = 0; i < 400 && !LeftInTmp().empty(); ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(25));
    EXPECT_TRUE(LeftInTmp().empty());
  }
}

TEST_F(CliMakeTest, SignalsWhileWaitingStopTheProgramAndEndTheRunThroughItsCleanUp) {
  // A program that ignores the request to end is killed after its grace.
  const std::string output = Folder.File("止まらない.html");
  const auto make =
      StartCli({"--data-dir", Data, "make", Project, output, "--template", "止まらない", "--wait"}, Config);
  for (int i = 0; i < 400 && !fs::exists(output + ".started"); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(25));
  kill(static_cast<pid_t>(make->processId()), SIGTERM);
  kill(static_cast<pid_t>(make->processId()), SIGINT);
  ASSERT_TRUE(make->waitForFinished(10000));
  EXPECT_EQ(make->exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(make->exitCode(), 130);
  const pid_t program = std::stoi(ReadFile(output + ".pid"));
  EXPECT_NE(kill(program, 0), 0) << "the program is gone";
  EXPECT_TRUE(LeftInTmp().empty());
  EXPECT_TRUE(Work.Files().empty());
}

TEST_F(CliMakeTest, SavedSettingsFillTheTemplatesRowsWhateverTheirCase) {
  const std::string output = Folder.File("copy.db");
  const CliResult result = Cli({"make", Project, output, "--template", "複写", "--set", "title=上書き",
                                "--set", "new=追加", "--wait"});
  ASSERT_EQ(result.Status, 0) << result.Err;
  EXPECT_EQ(HtmlRows(output), (std::vector<std::string>{"Title=上書き", "ＡＢＣ=全角", "extra=x", "new=追加"}));

  EXPECT_EQ(Cli({"make", Project, output, "--template", "複写", "--wait"}).Status, 0);
  EXPECT_EQ(HtmlRows(output), (std::vector<std::string>{"Title=保存した題", "ＡＢＣ=全角", "extra=x"}));
}

TEST_F(CliMakeTest, ARelativeDataFolderStillFindsTheProgram) {
  QProcess cli;
  cli.setWorkingDirectory(QString::fromStdString(Data));
  cli.setStandardInputFile(QProcess::nullDevice());
  cli.start(QStringLiteral(TOCWERK_CLI),
            {QStringLiteral("--config"), QString::fromStdString(Config), QStringLiteral("--data-dir"),
             QStringLiteral("."), QStringLiteral("make"), QString::fromStdString(Project),
             QStringLiteral("out.html"), QStringLiteral("--template"), QStringLiteral("記録"),
             QStringLiteral("--wait")});
  ASSERT_TRUE(cli.waitForFinished(120000));
  EXPECT_EQ(cli.exitCode(), 0) << cli.readAllStandardError().toStdString();
  const std::vector<std::string> arguments = SplitLines(ReadFile(Data + "out.html"));
  ASSERT_EQ(arguments.size(), 3u);
  EXPECT_EQ(fs::path(arguments[0]).parent_path().string(), Folder.File("tmp"));
  EXPECT_EQ(arguments[1], Data + "out.html");
  EXPECT_EQ(arguments[2], Data + "template/record.sh");
}

}
