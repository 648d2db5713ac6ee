#include "TocTestProject.h"

#include "support/TempFolder.h"
#include "toc/Tgenerationdb.h"
#include "toc/Ttemplatemanager.h"

#include <QProcess>
#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

#include <filesystem>
#include <iterator>
#include <limits>

#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

struct Outcome {
  int status = -1;
  std::string errors;
};

std::string TocProgram() {
  return GetProgramLibraryFolder() + "tocwerk-toc";
}

Outcome RunToc(const QStringList& arguments) {
  QProcess process;
  process.start(QString::fromStdString(TocProgram()), arguments);
  process.waitForFinished(60000);
  return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
          process.readAllStandardError().toStdString()};
}

size_t Count(const std::string& text, const std::string& what) {
  size_t count = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
    ++count;
  return count;
}

// Valid UTF-8 with no control character but tab, line feed and carriage return.
testing::AssertionResult CleanText(const std::string& text) {
  const QString decoded = QString::fromStdString(text);
  if (decoded.toStdString() != text)
    return testing::AssertionFailure() << "invalid UTF-8";
  for (const QChar c : decoded) {
    const char16_t u = c.unicode();
    if ((u < 0x20 && u != '\t' && u != '\n' && u != '\r') || (u >= 0x7F && u <= 0x9F))
      return testing::AssertionFailure() << "control character " << static_cast<int>(u);
  }
  return testing::AssertionSuccess();
}

class TocProgramTest : public ::testing::Test {
protected:
  // The table of contents of the project with these settings.
  std::string Make(const std::vector<std::string>& settings) {
    const std::string db = ExportGenerationDb(Db, BlankGenerationDb(), settings);
    const Outcome outcome = RunToc({QString::fromStdString(db), QString::fromStdString(Output),
                                    QString::fromStdString(TocProgram())});
    fs::remove(db);
    EXPECT_EQ(outcome.status, 0) << outcome.errors;
    Warnings = outcome.errors;
    return ReadFile(Output);
  }

  // What the last Make wrote to standard error.
  std::string Warnings;

  TempFolder Folder;
  std::string Output = Folder.File("目次.html");
  TProjectDb Db;
};

TEST_F(TocProgramTest, CategoriesInListOrderWithUncategorizedLast) {
  FillSampleProject(Db);
  const std::string html = Make({"タイトル=私のブログ", "説明=", "並び順=", "コメント表示=", "未分類の見出し="});

  EXPECT_EQ(html.rfind("<!DOCTYPE html>\n<html lang=\"ja\">", 0), 0u);
  EXPECT_NE(html.find("<title>私のブログ</title>"), std::string::npos);
  const size_t food = html.find("<section id=\"c1\">");
  const size_t travel = html.find("<section id=\"c2\">");
  const size_t none = html.find("<section id=\"c0\">");
  ASSERT_NE(food, std::string::npos);
  EXPECT_LT(food, travel);
  EXPECT_LT(travel, none);
  EXPECT_EQ(html.find("<section id=\"c3\">"), std::string::npos) << "a category without entries";
  EXPECT_NE(html.find("<h2>未分類 <span", none), std::string::npos);
  EXPECT_LT(html.find("新しい記事", travel), html.find("旅のごはん", travel)) << "newest first";
  EXPECT_NE(html.find("<a href=\"https://blog.example/cat/food\">料理</a>"), std::string::npos);
  EXPECT_NE(html.find("<time datetime=\"2024-04-01\">2024/04/01</time><a href=\"https://blog.example/2\">旅のごはん</a><span class=\"cats\">旅行</span>", food),
            std::string::npos)
      << "an entry shows its other categories";
  EXPECT_NE(html.find("<p class=\"comment\">おいしかった\n二行目</p>"), std::string::npos);
  EXPECT_EQ(html.find("<script"), std::string::npos);
  EXPECT_EQ(html.find("http-equiv"), std::string::npos);
  EXPECT_EQ(html.find("src="), std::string::npos) << "no external resources";
}

TEST_F(TocProgramTest, OldestFirstAndCommentsHidden) {
  FillSampleProject(Db);
  const std::string html = Make({"並び順=古い順", "コメント表示=しない", "説明=<b>説明</b> & 注意"});
  const size_t travel = html.find("<section id=\"c2\">");
  EXPECT_GT(html.find("新しい記事", travel), html.find("旅のごはん", travel));
  EXPECT_EQ(html.find("おいしかった"), std::string::npos);
  EXPECT_NE(html.find("<p class=\"description\">&lt;b&gt;説明&lt;/b&gt; &amp; 注意</p>"), std::string::npos);
  EXPECT_NE(html.find("<title>目次</title>"), std::string::npos) << "the default title";
}

TEST_F(TocProgramTest, AnUnknownValueIsWarnedAboutAndTheDefaultIsUsed) {
  FillSampleProject(Db);
  const struct {
    std::vector<std::string> Settings;
    std::string Warnings;
  } cases[] = {
      {{"並び順=古い", "コメント表示=しない"},
       "tocwerk-toc: 並び順 の値「古い」は使えません。新しい順 で作ります。\n"},
      {{"並び順=古い順", "コメント表示=いいえ"},
       "tocwerk-toc: コメント表示 の値「いいえ」は使えません。する で作ります。\n"},
      {{"並び順=", "コメント表示=", "タイトル=何でも"}, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Settings.front());
    const std::string db = ExportGenerationDb(Db, BlankGenerationDb(), c.Settings);
    const Outcome outcome = RunToc({QString::fromStdString(db), QString::fromStdString(Output)});
    fs::remove(db);
    EXPECT_EQ(outcome.status, 0);
    EXPECT_EQ(outcome.errors, c.Warnings);
  }
  const std::string html = ReadFile(Output);
  const size_t travel = html.find("<section id=\"c2\">");
  EXPECT_LT(html.find("新しい記事", travel), html.find("旅のごはん", travel)) << "the default order";
}

TEST_F(TocProgramTest, TheBundledTemplatesDeclareTheValuesTheProgramKnows) {
  FillSampleProject(Db);
  TTemplateManager manager;
  manager.Load();
  ASSERT_FALSE(manager.GetTemplates().empty());
  for (const THtmlTemplate& htmlTemplate : manager.GetTemplates()) {
    int declared = 0;
    for (const std::string& setting : htmlTemplate.GetConfig()) {
      const TSettingChoices* choices = htmlTemplate.GetChoices(setting);
      if (!choices)
        continue;
      SCOPED_TRACE(htmlTemplate.GetName() + " " + setting);
      ++declared;
      for (const std::string& value : choices->Values) {
        Make({setting + "=" + value});
        EXPECT_EQ(Warnings, "") << value;
      }
      EXPECT_EQ(Make({setting + "=" + choices->Default}), Make({setting + "="})) << "the declared default";
    }
    EXPECT_EQ(declared, 2) << htmlTemplate.GetName();
  }
}

TEST_F(TocProgramTest, HostileTextStaysText) {
  Db.New(GetDbFolder() + "blog.mdb");
  InsertCategory(Db, 1, "\"><img src=x onerror=alert(1)>", "javascript:alert(2)");
  InsertEntry(Db, "javascript:alert(1)", "<script>alert(1)</script>", 45413, false);
  InsertEntry(Db, " https://blog.example/x", "先頭に空白", 45413, false);
  InsertEntry(Db, "HTTPS://blog.example/ok?a=1&b=\"2\"", "大文字", 45413, false);
  InsertCategoryMemberships(Db, 1, {"javascript:alert(1)"});
  TEntry entry(1, "javascript:alert(1)", "", 0);
  entry.SetComment("</p><script>alert(3)</script>");
  SaveComment(Db, entry);

  const std::string html = Make({"タイトル=</title><script>alert(4)</script>"});
  EXPECT_EQ(html.find("<script"), std::string::npos);
  EXPECT_EQ(html.find("<img"), std::string::npos);
  EXPECT_EQ(html.find("javascript:alert(1)\""), std::string::npos);
  EXPECT_EQ(html.find("href=\"javascript"), std::string::npos);
  EXPECT_EQ(html.find("href=\" https"), std::string::npos);
  EXPECT_NE(html.find("&lt;script&gt;alert(1)&lt;/script&gt;"), std::string::npos);
  EXPECT_NE(html.find("<a href=\"HTTPS://blog.example/ok?a=1&amp;b=&quot;2&quot;\">大文字</a>"),
            std::string::npos);
}

TEST_F(TocProgramTest, ControlsAndBrokenUtf8AreReplaced) {
  const std::string fffd = "\xEF\xBF\xBD";
  const struct {
    std::string bytes;
    std::string shown;
  } cases[] = {
      {"\x1b[31m", fffd + "[31m"}, {"\x07", fffd},       {"\xc2\x85", fffd},        {"\xc2\x9b", fffd},
      {"\xff", fffd},             {"\xe6\x97", fffd}, {"\xc0\xaf", fffd + fffd}, {"\x7f", fffd},
  };
  for (const auto& c : cases) {
    Db.New(GetDbFolder() + "blog.mdb");
    InsertCategory(Db, 1, "分" + c.bytes + "類", "https://blog.example/c");
    InsertEntry(Db, "https://blog.example/1", "題" + c.bytes + "名", 45413, false);
    InsertCategoryMemberships(Db, 1, {"https://blog.example/1"});
    TEntry entry(1, "https://blog.example/1", "", 0);
    entry.SetComment("注" + c.bytes + "釈\r\n\t二行目");
    SaveComment(Db, entry);

    const std::string html = Make({"タイトル=表" + c.bytes + "題", "説明=説" + c.bytes + "明"});
    SCOPED_TRACE(c.shown.size());
    EXPECT_TRUE(CleanText(html));
    EXPECT_NE(html.find(">題" + c.shown + "名</a>"), std::string::npos) << "title";
    EXPECT_NE(html.find(">注" + c.shown + "釈\r\n\t二行目</p>"), std::string::npos) << "comment";
    EXPECT_NE(html.find("<title>表" + c.shown + "題</title>"), std::string::npos) << "setting";
    EXPECT_NE(html.find(">説" + c.shown + "明</p>"), std::string::npos) << "setting";
    EXPECT_NE(html.find(">分" + c.shown + "類</a>"), std::string::npos) << "category";
  }
}

TEST_F(TocProgramTest, MonthlyGroupingWithUndatedLast) {
  FillSampleProject(Db);
  InsertEntry(Db, "https://blog.example/undated", "日付不明の記事", 0, false);
  InsertEntry(Db, "https://blog.example/may2", "同じ月の記事", 45414, false);
  const std::string html = Make({"タイトル=月別", "月の見出し="});
  const size_t may = html.find("<section id=\"m202405\">");
  const size_t april = html.find("<section id=\"m202404\">");
  const size_t january = html.find("<section id=\"m202401\">");
  const size_t undated = html.find("<section id=\"undated\">");
  ASSERT_NE(may, std::string::npos);
  EXPECT_LT(may, april);
  EXPECT_LT(april, january);
  EXPECT_LT(january, undated);
  EXPECT_NE(html.find("2024年5月 <span class=\"entry-count\">(2)</span>"), std::string::npos);
  EXPECT_GT(html.find("日付不明の記事"), undated);
  EXPECT_NE(html.find("<span class=\"cats\">料理、旅行</span>"), std::string::npos);

  const std::string custom = Make({"月の見出し=yyyy/mm"});
  EXPECT_NE(custom.find("2024/05 <span"), std::string::npos);
}

TEST_F(TocProgramTest, DatesOutsideTheCalendarAreUndated) {
  Db.New(GetDbFolder() + "blog.mdb");
  InsertCategory(Db, 1, "料理", "https://blog.example/cat/food");
  const double outside[] = {1e300, 1e13, -1e13, std::numeric_limits<double>::infinity(),
                            -std::numeric_limits<double>::infinity(),
                            std::numeric_limits<double>::quiet_NaN()};
  std::vector<std::string> urls;
  for (const double date : outside) {
    urls.push_back("https://blog.example/far" + std::to_string(urls.size()));
    InsertEntry(Db, urls.back(), "遠い日付" + std::to_string(urls.size()), date, false);
  }
  InsertEntry(Db, "https://blog.example/may", "五月の記事", 45413, false);
  urls.push_back("https://blog.example/may");
  InsertCategoryMemberships(Db, 1, urls);

  for (const std::vector<std::string>& settings :
       {std::vector<std::string>{"月の見出し="}, std::vector<std::string>{"並び順=古い順"}}) {
    const std::string html = Make(settings);
    EXPECT_EQ(Count(html, "<time"), 1u) << "only the real date is shown";
    EXPECT_EQ(html.find("----"), std::string::npos);
    for (size_t i = 1; i <= std::size(outside); ++i)
      EXPECT_NE(html.find("遠い日付" + std::to_string(i)), std::string::npos) << i;
    if (settings.front() == "月の見出し=") {
      const size_t undated = html.find("<section id=\"undated\">");
      ASSERT_NE(undated, std::string::npos);
      EXPECT_LT(html.find("五月の記事"), undated);
      EXPECT_GT(html.find("遠い日付1"), undated);
      EXPECT_NE(html.find("日付なし <span class=\"entry-count\">(6)</span>"), std::string::npos);
      EXPECT_EQ(Count(html, "<section id=\"m"), 1u) << "no month of a nonsense year";
    }
  }
}

TEST_F(TocProgramTest, TheOutputIsSavedThroughLinksAndOnlyOverRegularFiles) {
  FillSampleProject(Db);
  const std::string db = ExportGenerationDb(Db, BlankGenerationDb(), {"タイトル=保存先"});
  const auto run = [&](const std::string& output) {
    return RunToc({QString::fromStdString(db), QString::fromStdString(output)});
  };

  const std::string longName = Folder.File(std::string(250, 'a') + ".html");
  EXPECT_EQ(run(longName).status, 0) << "a name of 255 bytes leaves no room for a suffix";
  EXPECT_NE(ReadFile(longName).find("<h1>保存先</h1>"), std::string::npos);

  fs::create_directory(Folder.File("real"));
  WriteFile(Folder.File("real/目次.html"), "前の目次");
  fs::permissions(Folder.File("real/目次.html"), fs::perms(0640));
  fs::create_symlink("real/目次.html", Folder.File("link.html"));
  EXPECT_EQ(run(Folder.File("link.html")).status, 0);
  EXPECT_TRUE(fs::is_symlink(Folder.File("link.html"))) << "the link stays a link";
  EXPECT_NE(ReadFile(Folder.File("real/目次.html")).find("<h1>保存先</h1>"), std::string::npos);
  EXPECT_EQ(fs::status(Folder.File("real/目次.html")).permissions(), fs::perms(0640));

  fs::create_directory(Folder.File("a folder.html"));
  // A FIFO of our own, not a device: a faulty save run as root would replace it.
  ASSERT_EQ(mkfifo(Folder.File("pipe.html").c_str(), 0600), 0);
  WriteFile(Folder.File("read-only.html"), "読むだけ");
  fs::permissions(Folder.File("read-only.html"), fs::perms(0444));
  const struct {
    std::string output;
    std::string reason;
  } refused[] = {
      {Folder.File("a folder.html"), "保存先が通常のファイルではありません。"},
      {Folder.File("pipe.html"), "保存先が通常のファイルではありません。"},
      {Folder.File("no/such/folder.html"), "保存先のフォルダーが存在しないか、書き込みが許可されていません。"},
      {Folder.File("read-only.html"), "ファイルへの書き込みが許可されていません。"},
  };
  for (const auto& r : refused) {
    if (r.output == Folder.File("read-only.html") && geteuid() == 0)
      continue;  // root may write anything
    const Outcome outcome = run(r.output);
    EXPECT_EQ(outcome.status, 1) << r.output;
    EXPECT_EQ(outcome.errors, "tocwerk-toc: " + r.output + " に保存できません。" + r.reason + "\n");
  }
  EXPECT_TRUE(fs::is_directory(Folder.File("a folder.html")));
  EXPECT_TRUE(fs::is_fifo(Folder.File("pipe.html")));
  EXPECT_EQ(ReadFile(Folder.File("read-only.html")), "読むだけ");
  size_t left = 0;
  for (const auto& item : fs::directory_iterator(Folder.Path()))
    left += item.path().filename().string().rfind(".tocwerk-", 0) == 0;
  EXPECT_EQ(left, 0u) << "no temporary file is left";
  fs::remove(db);
}

TEST_F(TocProgramTest, AnEmptyProjectSaysSo) {
  Db.New(GetDbFolder() + "blog.mdb");
  const std::string html = Make({});
  EXPECT_NE(html.find("記事はありません。"), std::string::npos);
  EXPECT_NE(html.find("全0件"), std::string::npos);
}

TEST_F(TocProgramTest, TenThousandEntries) {
  Db.New(GetDbFolder() + "blog.mdb");
  {
    TDbTransaction transaction(Db.GetConnection());
    InsertCategory(Db, 1, "一", "https://blog.example/cat/1");
    InsertCategory(Db, 2, "二", "https://blog.example/cat/2");
    std::vector<std::string> first;
    for (int i = 0; i < 10000; ++i) {
      const std::string url = "https://blog.example/" + std::to_string(i);
      InsertEntry(Db, url, "記事" + std::to_string(i), 40000 + i * 0.5, false);
      if (i % 2 == 0)
        first.push_back(url);
    }
    InsertCategoryMemberships(Db, 1, first);
    transaction.Commit();
  }
  const std::string html = Make({});
  EXPECT_EQ(Count(html, "<li><time"), 10000u);
  EXPECT_NE(html.find("全10000件"), std::string::npos);
  EXPECT_NE(html.find("一</a> <span class=\"entry-count\">(5000)</span>"), std::string::npos);
}

TEST_F(TocProgramTest, AFailureLeavesThePreviousOutputAlone) {
  WriteFile(Output, "前の目次");
  const Outcome missing = RunToc({QString::fromStdString(Folder.File("missing.db")),
                                  QString::fromStdString(Output)});
  EXPECT_EQ(missing.status, 1);
  EXPECT_NE(missing.errors.find("生成データベースを読めません"), std::string::npos) << missing.errors;
  EXPECT_EQ(ReadFile(Output), "前の目次");

  const Outcome unwritable = RunToc({QString::fromStdString(BlankGenerationDb()),
                                     QString::fromStdString(Folder.File("no/such/folder.html"))});
  EXPECT_EQ(unwritable.status, 1);
  EXPECT_NE(unwritable.errors.find("に保存できません。"), std::string::npos) << unwritable.errors;

  EXPECT_EQ(RunToc({}).status, 2);
  size_t files = 0;
  for ([[maybe_unused]] const auto& item : fs::directory_iterator(Folder.Path()))
    ++files;
  EXPECT_EQ(files, 1u) << "no temporary file is left";
}

}
