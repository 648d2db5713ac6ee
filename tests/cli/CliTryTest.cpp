// A blog type tried on the sample blog served on loopback: the shipped blog type,
// scripts that break in the ways authors break them, and the command that shows it.
#include "CliRun.h"
#include "crawl/BlogTypeTrial.h"
#include "net/Tappconfig.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

using namespace std::chrono_literals;
using namespace Qt::StringLiterals;

namespace {

// Each call as "name", then " error@LINE" when it failed, " date=..." for GetDate
// and " -> address" for each address found.
std::vector<std::string> Summary(const TTrialReport& report) {
  std::vector<std::string> lines;
  if (report.LoadError)
    lines.push_back("load error@" + std::to_string(report.LoadError->Line));
  for (const TTrialCall& call : report.Calls) {
    std::string line = call.Function;
    if (call.Error)
      line += " error@" + std::to_string(call.Error->Line);
    if (!call.Date.empty())
      line += " date=" + call.Date;
    for (const std::string& address : call.Addresses)
      line += " -> " + address;
    lines.push_back(line);
  }
  return lines;
}

TBlogConfig WriteBlogType(const TempFolder& folder, const std::string& name, const std::string& script) {
  WriteFile(folder.File(name + ".ini"), "[CONFIG]\nname=" + name + "\nencode=UTF-8\n[SCRIPT]\nfile=" + name +
                                            ".js\nlanguage=JavaScript\n");
  WriteFile(folder.File(name + ".js"), script);
  return TBlogConfig(folder.File(name + ".ini"));
}

TBlogConfig Shipped() {
  TBlogConfigManager manager;
  manager.Load();
  for (const TBlogConfig& blogType : manager.GetBlogConfigs())
    if (blogType.GetName() == "汎用 (HTML5)")
      return blogType;
  throw std::runtime_error("the shipped blog type is missing");
}

std::string DateOf(const TSampleDateTime& date) {
  char text[32];
  std::snprintf(text, sizeof text, "%04d/%02d/%02d %02d:%02d:%02d", date.Year, date.Month, date.Day, date.Hour,
                date.Minute, date.Second);
  return text;
}

const std::string Throws = "function GetTitle(page, url) {\n"
                           "  var title = 'x';\n"
                           "  if (title)\n"
                           "    throw new Error('boom');\n"
                           "  return title;\n"
                           "}\n"
                           "function GetDate(page, url) { return 'no date here'; }\n"
                           "function GetNextUrl(page, url) { return ' /entry/1.html \\n'; }\n";
const std::string Loops = "function GetDate(page, url) { for (;;) {} }\n"
                          "function GetNextUrl(page, url) { return 'http://[::1'; }\n"
                          "function GetEntryUrl(page, url) { return '/a\\n\\n  /b/c.html\\n'; }\n";
const std::string NotCompiling = "function GetTitle(page) { return 'ok'; }\n"
                                 "\n"
                                 "function GetDate(page) { return ; ; ) }\n";

}

TEST(BlogTypeTrialTest, EachFunctionIsCalledAndOneFailureStopsNoOther) {
  TAppConfig::GetInstance()->SetUseProxy(false);
  TSampleBlogOptions options;
  options.Entries = 12;
  ServedBlog blog(options);
  const auto entry = [&](int number) { return blog.Url(TSampleBlog::EntryPath(number)); };
  std::string categories;
  for (int c = 0; c < TSampleBlog::CategoryCount; ++c)
    categories += " -> " + blog.Url(TSampleBlog::CategoryPath(c));
  TempFolder types;
  struct Case {
    const char* name;
    TBlogConfig blogType;
    std::string path;
    std::vector<std::string> expected;
  };
  const Case cases[] = {
      {"shipped, entry page", Shipped(), TSampleBlog::EntryPath(5),
       {"Detect", "GetCategoryList" + categories, "GetRecentEntry", "GetEntryList", "GetNextEntryListUrl -> " + entry(6),
        "GetTitle", "GetDate date=" + DateOf(TSampleBlog::EntryDateTime(5)), "GetNextUrl -> " + entry(4),
        "GetEntryUrl", "GetNextCategoryUrl -> " + entry(6)}},
      {"throws at a known line", WriteBlogType(types, "throws", Throws), TSampleBlog::EntryPath(5),
       {"GetTitle error@4", "GetDate date=読めません", "GetNextUrl -> " + entry(1)}},
      {"loops past the time limit", WriteBlogType(types, "loops", Loops), "/",
       {"GetDate error@0", "GetNextUrl", "GetEntryUrl -> " + blog.Url("/a") + " -> " + blog.Url("/b/c.html")}},
      {"does not compile", WriteBlogType(types, "broken", NotCompiling), "/", {"load error@3"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    BlogTypeTrial trial;
    trial.SetScriptTimeLimit(1s);
    const TTrialReport report = trial.Run(c.blogType, blog.Url(c.path));
    EXPECT_EQ(report.Url, blog.Url(c.path));
    EXPECT_EQ(Summary(report), c.expected);
  }
}

// The shipped blog type on the top page, as a program reads the command's JSON;
// a script error and a page that cannot be fetched end with status 1.
TEST(CliTryTest, ShowsEveryFunctionAsJsonAndFailsOnErrors) {
  TSampleBlogOptions options;
  options.Entries = 12;
  ServedBlog blog(options);
  const CliResult json = blog.Cli({"try", "汎用 (HTML5)", blog.Url("/"), "--json"});
  ASSERT_EQ(json.Status, 0) << json.Err;
  const QJsonObject report = QJsonDocument::fromJson(QByteArray::fromStdString(json.Out)).object();
  EXPECT_EQ(report[u"url"_s].toString().toStdString(), blog.Url("/"));
  EXPECT_TRUE(report[u"load_error"_s].isNull());
  std::map<std::string, QJsonObject> functions;
  for (const QJsonValue& function : report[u"functions"_s].toArray())
    functions[function[u"name"_s].toString().toStdString()] = function.toObject();
  ASSERT_TRUE(functions.count("GetEntryList")) << json.Out;
  const QJsonObject list = functions["GetEntryList"];
  EXPECT_TRUE(list[u"error"_s].isNull());
  EXPECT_TRUE(list[u"ms"_s].isDouble());
  EXPECT_TRUE(list[u"date"_s].isNull());
  const QJsonArray addresses = list[u"addresses"_s].toArray();
  ASSERT_EQ(addresses.size(), TSampleBlog::TopEntryCount);
  EXPECT_EQ(addresses[0].toString().toStdString(), blog.Url(TSampleBlog::EntryPath(12)));
  EXPECT_EQ(functions["GetCategoryList"][u"addresses"_s].toArray().size(), TSampleBlog::CategoryCount);
  EXPECT_TRUE(functions["GetDate"][u"date"_s].isString());

  TempFolder data;
  std::filesystem::create_directory(data.File("blog"));
  WriteFile(data.File("blog/throws.ini"), "[CONFIG]\nname=投げる\nencode=UTF-8\n[SCRIPT]\nfile=throws.js\n"
                                          "language=JavaScript\n");
  WriteFile(data.File("blog/throws.js"), Throws);
  const CliResult text = blog.Cli({"--data-dir", data.Path(), "try", "投げる", blog.Url(TSampleBlog::EntryPath(3))});
  EXPECT_EQ(text.Status, 1);
  EXPECT_NE(text.Out.find("GetTitle ("), std::string::npos) << text.Out;
  EXPECT_NE(text.Out.find("  エラー: 4 行目: "), std::string::npos) << text.Out;
  EXPECT_NE(text.Out.find("  日付: 読めません\n"), std::string::npos) << text.Out;
  EXPECT_NE(text.Out.find("  アドレス:\n    " + blog.Url(TSampleBlog::EntryPath(1)) + "\n"), std::string::npos)
      << text.Out;
  EXPECT_EQ(text.Err, "tocwerk-cli: スクリプトでエラーが起きました。\n");

  const CliResult missing = blog.Cli({"try", "汎用 (HTML5)", blog.Url("/no/such/page/")});
  EXPECT_EQ(missing.Status, 1);
  EXPECT_EQ(missing.Out, "");
  EXPECT_EQ(missing.Err, "tocwerk-cli: 404 ページが見つかりません (HTTP/1.1 404 Not Found)\n");
  EXPECT_EQ(blog.Cli({"try", "汎用 (HTML5)"}).Status, 2);
}
