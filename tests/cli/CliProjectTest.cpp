#include "CliRun.h"

#include "store/Tcomment.h"
#include "store/Tdbconnection.h"
#include "store/Tentry.h"
#include "store/Tkappfolder.h"
#include "store/Tproject.h"
#include "store/Tprojectdb.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <thread>

#include <sys/stat.h>

namespace fs = std::filesystem;

namespace {

class CliProjectTest : public ::testing::Test {
protected:
  CliProjectTest() { WriteFile(Config, "[HTTP_PROXY]\nSleepTime=0\n"); }

  CliResult Cli(const std::vector<std::string>& arguments) { return RunCli(arguments, Config); }

  TProject Load(const std::string& path) {
    TProjectDb db;
    TProject project;
    project.Load(path, db);
    return project;
  }

  // A saved project with two entries, one of them commented.
  std::string MakeProject() {
    const std::string path = Folder.File("p.proj");
    TProjectDb db;
    db.New(GetDbFolder() + "blog.mdb");
    InsertEntry(db, "https://blog.example/2", "題名\tタブ", 45413.5, false);
    InsertEntry(db, "https://blog.example/1", "古い \"記事\"", 45292, false);
    TEntry commented(2, "https://blog.example/1", "", 0);
    commented.SetComment("一行目\r\n二行目\\");
    SaveComment(db, commented);
    TProject project;
    project.SetHtmlTemplateName("カテゴリ別目次");
    project.AddCategory("料理 と 旅", "https://blog.example/c/1");
    project.Save(path, db);
    return path;
  }

  TempFolder Folder;
  std::string Config = Folder.File("Tocwerk.ini");
};

TEST_F(CliProjectTest, ListsTheBundledBlogTypesAndTemplates) {
  const CliResult blogTypes = Cli({"list", "blog-types"});
  EXPECT_EQ(blogTypes.Status, 0);
  std::vector<std::string> blogTypeNames;
  for (const std::string& line : SplitLines(blogTypes.Out))
    blogTypeNames.push_back(line.substr(0, line.find('\t')));
  EXPECT_EQ(blogTypeNames, (std::vector<std::string>{"汎用 (HTML5)", "Hexo", "Jekyll", "Pelican", "WordPress"}));

  const CliResult templates = Cli({"list", "templates"});
  auto names = SplitLines(templates.Out);
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"カテゴリ別目次", "月別目次"}));

  fs::create_directories(Folder.File("data/blog"));
  const CliResult empty = Cli({"--data-dir", Folder.File("data"), "list", "blog-types"});
  EXPECT_EQ(empty.Status, 0);
  EXPECT_EQ(empty.Out, "");

  // A blog type whose script leads out of its folder is left out with a message.
  WriteFile(Folder.File("data/blog/a.ini"), "[CONFIG]\nname=外\n[SCRIPT]\nfile=../evil.js\n");
  WriteFile(Folder.File("data/evil.js"), "// not a blog type's\n");
  WriteFile(Folder.File("data/blog/b.ini"), "[CONFIG]\nname=内\n[SCRIPT]\nfile=b.js\n");
  const CliResult one = Cli({"--data-dir", Folder.File("data"), "list", "blog-types"});
  EXPECT_EQ(one.Status, 0);
  EXPECT_EQ(one.Out, "内\t\n");
  EXPECT_NE(one.Err.find("ブログの種類「外」(a.ini) を読み込めません"), std::string::npos) << one.Err;
}


TEST_F(CliProjectTest, SameNamedBlogTypesAreListedApartAndStoredByName) {
  fs::create_directories(Folder.File("data/blog"));
  for (const std::string file : {"a.ini", "my-wordpress.ini", "z.ini"})
    WriteFile(Folder.File("data/blog/" + file),
              "[CONFIG]\nname=" + std::string(file == "z.ini" ? "Hexo" : "WordPress") + "\nsimpletext=" + file + "\n");
  const std::string data = Folder.File("data");
  const CliResult listed = Cli({"--data-dir", data, "list", "blog-types"});
  EXPECT_EQ(listed.Status, 0) << listed.Err;
  EXPECT_EQ(SplitLines(listed.Out), (std::vector<std::string>{"WordPress\ta.ini", "WordPress (my-wordpress.ini)\tmy-wordpress.ini",
                                                                "Hexo\tz.ini"}));

  fs::copy(GetDbFolder(), Folder.File("data/db"));
  const std::string path = Folder.File("wp.proj");
  EXPECT_EQ(Cli({"--data-dir", data, "init", path, "--blog-type", "WordPress"}).Status, 0);
  EXPECT_EQ(Load(path).GetBlogTypeName(), "WordPress");
}
TEST_F(CliProjectTest, UsageMistakesExitWithTwo) {
  ASSERT_EQ(mkfifo(Folder.File("fifo.ini").c_str(), 0600), 0);
  WriteFile(Folder.File("large.ini"), "[HTTP_PROXY]\n" + std::string(1024 * 1024, ';'));
  const std::vector<std::vector<std::string>> mistakes{
      {},
      {"frobnicate"},
      {"list"},
      {"list", "everything"},
      {"init"},
      {"init", Folder.File("a.proj"), "--colour", "red"},
      {"init", Folder.File("a.proj"), "--category", "no equals sign"},
      {"init", Folder.File("a.proj"), "--category", "日記=https://blog.example/c/1", "--category", "空="},
      {"init", Folder.File("a.proj"), "--category", "=https://blog.example/c/1"},
      {"--config", Folder.File("fifo.ini"), "init", Folder.File("a.proj")},
      {"--config", Folder.Path(), "init", Folder.File("a.proj")},
      {"--config", Folder.File("large.ini"), "init", Folder.File("a.proj")},
      {"--config=", "init", Folder.File("a.proj")},
      {"init", Folder.File("a.proj"), "--blog-type"},
      {"entries", Folder.File("a.proj"), Folder.File("b.proj")},
      {"comment", Folder.File("a.proj"), "https://blog.example/"},
      {"make", Folder.File("a.proj")},
      {"--data-dir"},
  };
  for (const auto& arguments : mistakes) {
    const CliResult result = Cli(arguments);
    std::string called;
    for (const std::string& argument : arguments)
      called += " " + argument;
    EXPECT_EQ(result.Status, 2) << called;
    EXPECT_NE(result.Err.find("使い方"), std::string::npos) << result.Err;
  }
  EXPECT_FALSE(fs::exists(Folder.File("a.proj")));

  const CliResult missingSettings = Cli({"--config", Folder.File("none.ini"), "init", Folder.File("a.proj")});
  EXPECT_EQ(missingSettings.Status, 0) << "a missing settings file means the defaults: " << missingSettings.Err;
  fs::remove(Folder.File("a.proj"));

  const CliResult unknown = Cli({"init", Folder.File("a.proj"), "--blog-type", "存在しない"});
  EXPECT_EQ(unknown.Status, 2);
  EXPECT_NE(unknown.Err.find("汎用 (HTML5)"), std::string::npos) << "lists the known names: " << unknown.Err;
  EXPECT_FALSE(fs::exists(Folder.File("a.proj")));
}

TEST_F(CliProjectTest, EveryCommandHasHelp) {
  for (const char* command : {"list", "init", "crawl", "entries", "comment", "make"}) {
    const CliResult result = Cli({command, "--help"});
    EXPECT_EQ(result.Status, 0) << command;
    EXPECT_NE(result.Out.find(std::string("tocwerk-cli ") + command), std::string::npos) << result.Out;
  }
  EXPECT_EQ(Cli({"--help"}).Status, 0);
}

TEST_F(CliProjectTest, InitCreatesThenChangesOnlyWhatIsGiven) {
  const std::string path = Folder.File("blog.proj");
  ASSERT_EQ(Cli({"init", path, "--url", "https://blog.example/", "--category", "日記=https://blog.example/c/1",
                 "--set", "タイトル=目次=です"})
                .Status,
            0);
  TProject project = Load(path);
  EXPECT_EQ(project.GetBlogTypeName(), "汎用 (HTML5)") << "a new project takes the first blog type";
  EXPECT_FALSE(project.GetHtmlTemplateName().empty());
  EXPECT_EQ(project.GetEntryUrl(), "https://blog.example/");
  EXPECT_EQ(project.GetCategoryCount(), 1u);
  EXPECT_EQ(project.GetHtmlSettings().at("タイトル"), "目次=です");

  ASSERT_EQ(Cli({"init", path, "--template", "月別目次", "--category", "旅=https://blog.example/c/2",
                 "--category", "食=https://blog.example/c/3", "--set", "説明=説明文"})
                .Status,
            0);
  project = Load(path);
  EXPECT_EQ(project.GetEntryUrl(), "https://blog.example/");
  EXPECT_EQ(project.GetHtmlTemplateName(), "月別目次");
  ASSERT_EQ(project.GetCategoryCount(), 2u);
  EXPECT_EQ(project.GetCategory(0).name, "旅");
  EXPECT_EQ(project.GetCategory(1).name, "食");
  EXPECT_EQ(project.GetHtmlSettings().size(), 2u);
}

// Nobody is asked on the command line: an address without a scheme is read as
// https and the completion is told; one with a scheme of its own is kept.
TEST_F(CliProjectTest, AddressesWithoutASchemeAreCompletedWithHttps) {
  const std::string path = Folder.File("blog.proj");
  const CliResult init = Cli({"init", path, "--url", " example.com/blog "});
  ASSERT_EQ(init.Status, 0) << init.Err;
  EXPECT_EQ(init.Err, "tocwerk-cli: URL に https:// を補いました: https://example.com/blog\n");
  EXPECT_EQ(Load(path).GetEntryUrl(), "https://example.com/blog");

  const CliResult kept = Cli({"init", path, "--url", "ftp://example.com/blog"});
  EXPECT_EQ(kept.Err, "");
  EXPECT_EQ(Load(path).GetEntryUrl(), "ftp://example.com/blog");

  const CliResult detect = Cli({"detect", "127.0.0.1:1/"});
  EXPECT_EQ(detect.Status, 1);
  EXPECT_EQ(detect.Err.rfind("tocwerk-cli: URL に https:// を補いました: https://127.0.0.1:1/\n", 0), 0u) << detect.Err;

  const CliResult tried = Cli({"try", "汎用 (HTML5)", "127.0.0.1:1/"});
  EXPECT_EQ(tried.Status, 1);
  EXPECT_EQ(tried.Err.rfind("tocwerk-cli: URL に https:// を補いました: https://127.0.0.1:1/\n", 0), 0u) << tried.Err;
}

TEST_F(CliProjectTest, EntriesAsTsvAndJson) {
  const std::string path = MakeProject();
  const CliResult tsv = Cli({"entries", path});
  EXPECT_EQ(tsv.Status, 0);
  EXPECT_EQ(SplitLines(tsv.Out),
            (std::vector<std::string>{"1\t2024/05/01\thttps://blog.example/2\t題名\\tタブ\t\t",
                                      "2\t2024/01/01\thttps://blog.example/1\t古い \"記事\"\t\t一行目\\r\\n二行目\\"}));

  const CliResult json = Cli({"entries", path, "--json"});
  EXPECT_EQ(json.Status, 0);
  QJsonParseError error;
  const QJsonDocument document = QJsonDocument::fromJson(QByteArray::fromStdString(json.Out), &error);
  ASSERT_EQ(error.error, QJsonParseError::NoError) << json.Out;
  const QJsonArray entries = document.array();
  ASSERT_EQ(entries.size(), 2);
  const QJsonObject first = entries[0].toObject();
  EXPECT_EQ(first[QLatin1String("id")].toInt(), 1);
  EXPECT_EQ(first[QLatin1String("title")].toString().toStdString(), "題名\tタブ");
  EXPECT_EQ(first[QLatin1String("date")].toString().toStdString(), "2024/05/01");
  EXPECT_EQ(first[QLatin1String("datetime")].toString().toStdString(), "2024/05/01 12:00:00");
  EXPECT_EQ(first[QLatin1String("category_ids")].toArray(), QJsonArray({0}));
  EXPECT_EQ(first[QLatin1String("categories")].toString().toStdString(), "");
  EXPECT_EQ(entries[1].toObject()[QLatin1String("comment")].toString().toStdString(), "一行目\r\n二行目\\");
}

TEST_F(CliProjectTest, CommentsAreStoredAndSaved) {
  const std::string path = MakeProject();
  EXPECT_EQ(Cli({"comment", path, "https://blog.example/2", "新しい\nコメント"}).Status, 0);
  EXPECT_NE(Cli({"entries", path}).Out.find("題名\\tタブ\t\t新しい\\nコメント"), std::string::npos);

  const CliResult missing = Cli({"comment", path, "https://blog.example/none", "x"});
  EXPECT_EQ(missing.Status, 1);
  EXPECT_NE(missing.Err.find("https://blog.example/none"), std::string::npos) << missing.Err;
}

TEST_F(CliProjectTest, BrokenOrMissingProjectsFailWithOne) {
  const CliResult missing = Cli({"entries", Folder.File("none.proj")});
  EXPECT_EQ(missing.Status, 1);
  EXPECT_NE(missing.Err.find("プロジェクトファイルがありません"), std::string::npos) << missing.Err;

  WriteFile(Folder.File("broken.proj"), std::string(3000, 'x'));
  const CliResult broken = Cli({"entries", Folder.File("broken.proj")});
  EXPECT_EQ(broken.Status, 1);
  EXPECT_NE(broken.Err.find("プロジェクトファイルではないか、壊れています"), std::string::npos) << broken.Err;
  EXPECT_EQ(Cli({"init", Folder.File("broken.proj"), "--url", "x"}).Status, 1);
  EXPECT_EQ(ReadFile(Folder.File("broken.proj")), std::string(3000, 'x'));
}

TEST_F(CliProjectTest, ProjectsWithValuesOfTheWrongTypeAreRefusedUntouched) {
  const char* const changes[] = {
      "drop table entries; create table entries (id TEXT, url TEXT, タイトル TEXT, 日付 REAL); "
      "insert into entries values ('a', 'https://blog.example/1', '一', 45000), "
      "('b', 'https://blog.example/2', '二', 45001)",
      "insert into entries values (3, x'68747470733a2f2f', '三', 45000)",
      "insert into categories_entry values ('x', 'https://blog.example/1')",
      "insert into comments values ('https://blog.example/1', x'00ff')",
  };
  for (const char* change : changes) {
    const std::string path = MakeProject();
    {
      TDbConnection connection;
      connection.SetFileName(path);
      connection.ExecuteDirect(change);
    }
    const std::string bytes = ReadFile(path);
    const CliResult entries = Cli({"entries", path});
    EXPECT_EQ(entries.Status, 1) << change;
    EXPECT_NE(entries.Err.find("p.proj を開けません。プロジェクトファイルではないか、壊れています。"), std::string::npos)
        << entries.Err;
    EXPECT_EQ(entries.Out, "");
    EXPECT_EQ(Cli({"comment", path, "https://blog.example/1", "x"}).Status, 1) << change;
    EXPECT_EQ(ReadFile(path), bytes) << change;
    fs::remove(path);
  }
}

TEST_F(CliProjectTest, MakeWithAndWithoutWaiting) {
  const std::string path = MakeProject();
  const std::string output = Folder.File("目次 1.html");
  const CliResult waited = Cli({"make", path, output, "--set", "タイトル=<私の>目次", "--wait"});
  EXPECT_EQ(waited.Status, 0) << waited.Err;
  const std::string html = ReadFile(output);
  EXPECT_NE(html.find("<h1>&lt;私の&gt;目次</h1>"), std::string::npos);
  EXPECT_NE(html.find("一行目\r\n二行目\\"), std::string::npos);

  const std::string detached = Folder.File("目次 2.html");
  EXPECT_EQ(Cli({"make", path, detached, "--template", "月別目次"}).Status, 0);
  for (int i = 0; i < 200 && !fs::exists(detached); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(25));
  EXPECT_NE(ReadFile(detached).find("2024年5月"), std::string::npos);

  const CliResult failing = Cli({"make", path, Folder.File("no/such/folder.html"), "--wait"});
  EXPECT_EQ(failing.Status, 1) << "refused before the template program starts";
  EXPECT_NE(failing.Err.find("に保存できません。"), std::string::npos) << failing.Err;

  EXPECT_EQ(Cli({"make", path, output, "--template", "無い"}).Status, 2);
}

}
