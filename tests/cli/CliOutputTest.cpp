#include "CliRun.h"
#include "LoopbackServer.h"

#include "store/Tcomment.h"
#include "store/Tentry.h"
#include "store/Tproject.h"
#include "store/Tprojectdb.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QString>

#include <gtest/gtest.h>

#include <filesystem>

namespace {

const std::string Fffd = "\xEF\xBF\xBD";

// Wider than any terminal line: the status line must cut it.
std::string LongName() {
  std::string name;
  for (int i = 0; i < 50; ++i)
    name += "長い";
  return name;
}

// A blog whose titles, links and HTTP reason phrase carry terminal escapes, C1
// characters, DEL and bytes that are no UTF-8. Its category page fails.
std::optional<std::string> HostileBlog(const HttpRequest& request) {
  const std::string self = "http://" + request.Header("Host");
  const std::string head = "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>日本語のブログ</title></head><body>";
  if (request.Target == "/")
    return HttpResponse(200, "OK", head + "<a rel=\"bookmark\" href=\"/entry/2\">最新の記事</a></body></html>");
  if (request.Target == "/entry/2")
    return HttpResponse(200, "OK",
                        head + "<h1>A&#27;[31mB&#7;C&#13;D&#x9B;E&#x85;F&#127;G 日本語</h1>"
                               "<time datetime=\"2024-05-01T12:00:00\">五月</time>"
                               "<a rel=\"prev\" href=\"/entry/1\">前の記事</a></body></html>");
  if (request.Target == "/entry/1")
    return HttpResponse(200, "OK",
                        head + "<h1>古い\x1b]0;x\x07記事 日本語</h1><time datetime=\"2024-04-01T08:00:00\">四月</time>"
                               "<a rel=\"prev\" href=\"" + self + "/entry/0\x1b[2J\x9b" + LongName() +
                               "\">前の記事</a></body></html>");
  return HttpResponse(500, "Oops\x1b[2J\x07\x9b\xff\xc2\x85" "end", "error");
}

// Valid UTF-8 without control characters but line feed and tab.
testing::AssertionResult Printable(const std::string& text) {
  const QString decoded = QString::fromStdString(text);
  if (decoded.toStdString() != text)
    return testing::AssertionFailure() << "invalid UTF-8 in " << text;
  for (const QChar c : decoded) {
    const char16_t u = c.unicode();
    if ((u < 0x20 && u != '\n' && u != '\t') || (u >= 0x7F && u <= 0x9F))
      return testing::AssertionFailure() << "control character " << static_cast<int>(u) << " in " << text;
  }
  return testing::AssertionSuccess();
}

std::string Quoted(const std::string& text) {
  std::string quoted = "'";
  for (const char c : text)
    quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

// Adds what no crawl stores but a project file may hold: text that is no UTF-8.
void StoreBrokenText(const std::string& path) {
  TProjectDb db;
  TProject project;
  project.Load(path, db);
  InsertEntry(db, "http://broken.example/\xff", "壊れた\xe3\x81題名\x80", 45292, false);
  TEntry entry(3, "http://broken.example/\xff", "", 0);
  entry.SetComment("a\xc0\xaf" "b\xed\xa0\x80" "c\x1b");
  SaveComment(db, entry);
  project.Save(path, db);
}

class CliOutputTest : public ::testing::Test {
protected:
  CliOutputTest() {
    WriteFile(Config, "[HTTP_PROXY]\nSleepTime=0\n");
    const CliResult init = RunCli({"init", Project, "--blog-type", "汎用 (HTML5)", "--url", Server.Url("/"),
                                   "--category", "カテゴリ=" + Server.Url("/category/1")},
                                  Config);
    EXPECT_EQ(init.Status, 0) << init.Err;
  }

  LoopbackServer Server{HostileBlog};
  TempFolder Folder;
  std::string Config = Folder.File("Tocwerk.ini");
  std::string Project = Folder.File("blog.proj");
};

TEST_F(CliOutputTest, TheCrawlLogAndTheStatusLineShowNoControlCharacters) {
  const CliResult crawl = RunCli({"crawl", Project}, Config);
  EXPECT_EQ(crawl.Status, 1) << "the category page fails";
  EXPECT_TRUE(Printable(crawl.Out));
  std::vector<std::string> lines = SplitLines(crawl.Out);
  ASSERT_EQ(lines.size(), 8u) << crawl.Out;
  lines.erase(lines.begin() + 4);
  const std::string next = Server.Url("/entry/0") + Fffd + "[2J" + Fffd + LongName();
  // The line after the error with the unusable URL is the HTTP library's message.
  EXPECT_EQ(lines, (std::vector<std::string>{
                       "OK: " + Server.Url("/") + " エントリーの一覧 (1 件) を取得しました。",
                       "OK: " + Server.Url("/entry/2") + " A" + Fffd + "[31mB" + Fffd + "C" + Fffd + "D" + Fffd +
                           "E" + Fffd + "F" + Fffd + "G 日本語",
                       "OK: " + Server.Url("/entry/1") + " 古い" + Fffd + "]0;x" + Fffd + "記事 日本語",
                       "Error: " + next,
                       "最後まで読めなかったため、読み込んだ 2 件の後ろに保存済みのエントリー 0 件を残しました。",
                       "Error: " + Server.Url("/category/1"),
                       "500 サーバー内部のエラーです (HTTP/1.1 500 Oops" + Fffd + "[2J" + Fffd + Fffd + Fffd + Fffd +
                           "end)",
                   }));

  // On a terminal the URL being read is shown on one line of standard error, cut
  // between whole characters.
  QProcess script;
  script.setStandardInputFile(QProcess::nullDevice());
  script.start(QStringLiteral("script"),
               {QStringLiteral("-qec"),
                QString::fromStdString(Quoted(TOCWERK_CLI) + " --config " + Quoted(Config) + " crawl " +
                                       Quoted(Project) + " --entries"),
                QStringLiteral("/dev/null")});
  ASSERT_TRUE(script.waitForFinished(60000));
  const std::string terminal = script.readAllStandardOutput().toStdString();
  EXPECT_EQ(script.exitCode(), 1);
  const size_t status = terminal.find("\r\x1b[K" + Server.Url("/entry/0") + Fffd + "[2J" + Fffd + "長い");
  ASSERT_NE(status, std::string::npos) << terminal;
  const std::string shown = terminal.substr(status + 4, terminal.find('\r', status + 4) - status - 4);
  EXPECT_LT(shown.size(), next.size());
  EXPECT_EQ(shown.substr(shown.size() - 3), "...") << "cut to fit the terminal: " << shown;
  std::string text;
  for (size_t i = 0; i < terminal.size(); ++i) {
    if (terminal.compare(i, 4, "\r\x1b[K") == 0)
      i += 3;
    else if (terminal.compare(i, 2, "\r\n") != 0)
      text += terminal[i];
  }
  EXPECT_TRUE(Printable(text));
}

TEST_F(CliOutputTest, EntriesShowNoControlCharactersAndAlwaysGiveValidJson) {
  RunCli({"crawl", Project, "--entries"}, Config);
  StoreBrokenText(Project);

  const CliResult tsv = RunCli({"entries", Project}, Config);
  EXPECT_EQ(tsv.Status, 0);
  EXPECT_TRUE(Printable(tsv.Out));
  EXPECT_EQ(SplitLines(tsv.Out),
            (std::vector<std::string>{
                "1\t2024/05/01\t" + Server.Url("/entry/2") + "\tA" + Fffd + "[31mB" + Fffd + "C\\rD" + Fffd + "E" +
                    Fffd + "F" + Fffd + "G 日本語\t\t",
                "2\t2024/04/01\t" + Server.Url("/entry/1") + "\t古い" + Fffd + "]0;x" + Fffd + "記事 日本語\t\t",
                "3\t2024/01/01\thttp://broken.example/" + Fffd + "\t壊れた" + Fffd + "題名" + Fffd + "\t\ta" + Fffd +
                    Fffd + "b" + Fffd + Fffd + Fffd + "c" + Fffd,
            }));

  const CliResult json = RunCli({"entries", Project, "--json"}, Config);
  EXPECT_EQ(json.Status, 0);
  EXPECT_TRUE(Printable(json.Out));
  QJsonParseError error;
  const QJsonArray entries = QJsonDocument::fromJson(QByteArray::fromStdString(json.Out), &error).array();
  ASSERT_EQ(error.error, QJsonParseError::NoError) << json.Out;
  ASSERT_EQ(entries.size(), 3);
  const auto field = [&entries](int i, const char* name) {
    return entries[i].toObject()[QLatin1String(name)].toString().toStdString();
  };
  EXPECT_EQ(field(0, "title"), "A\x1b[31mB\x07" "C\rD\xc2\x9b" "E\xc2\x85" "F\x7fG 日本語") << "escaped, not lost";
  EXPECT_EQ(field(1, "title"), "古い\x1b]0;x\x07記事 日本語");
  EXPECT_EQ(field(2, "url"), "http://broken.example/" + Fffd);
  EXPECT_EQ(field(2, "title"), "壊れた" + Fffd + "題名" + Fffd);
  EXPECT_EQ(field(2, "comment"), "a" + Fffd + Fffd + "b" + Fffd + Fffd + Fffd + "c\x1b");
}

}
