#include "crawl/Tblogconfig.h"
#include "net/Tappconfig.h"
#include "net/Thttpclient.h"
#include "net/Tpagefetch.h"

#include "CharsetBytes.h"
#include "LoopbackServer.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <map>
#include <thread>
#include <vector>

using namespace std::chrono_literals;

namespace {

std::optional<std::string> PageHandler(const HttpRequest& request) {
  if (request.Target == "/sjis")
    return HttpResponse(200, "OK", "<p>\x95\x5C\x83\x5C\x94\x5C \xB1\xB2 \x87\x40\x87\x8A</p>");
  if (request.Target == "/euc")
    return HttpResponse(200, "OK", "\xB4\xC1\xBB\xFA");
  if (request.Target == "/nul")
    return HttpResponse(200, "OK", std::string("before\0after +AAA-", 18));
  if (request.Target == "/emoji")
    return HttpResponse(200, "OK", "<title>😀 日記</title>");
  return HttpResponse(200, "OK", "+ZeVnLIqe-");
}

// The settings are one per process: every test starts from the defaults.
class PageFetchTest : public testing::Test {
protected:
  void SetUp() override { TAppConfig::GetInstance()->Load(Folder.File("none.ini")); }
  void TearDown() override { TAppConfig::GetInstance()->Load(Folder.File("none.ini")); }

  TempFolder Folder;
  LoopbackServer Server{PageHandler};
  THttpClient Client;
};

TBlogConfig BlogTypeWithEncode(const TempFolder& folder, const std::string& encode) {
  WriteFile(folder.File("blog.ini"), "[CONFIG]\nname=x\nencode=" + encode + "\n");
  return TBlogConfig(folder.File("blog.ini"));
}

} // namespace

TEST_F(PageFetchTest, PagesAreConvertedFromTheBlogTypesCharset) {
  EXPECT_EQ(FetchPage(Client, Server.Url("/sjis"),
                      LookUpCodePage(BlogTypeWithEncode(Folder, "Shift_JIS"))),
            "<p>表ソ能 ｱｲ ①㈱</p>");
  EXPECT_EQ(FetchPage(Client, "/euc", LookUpCodePage(BlogTypeWithEncode(Folder, "euc-jp"))), "漢字");
  EXPECT_EQ(FetchPage(Client, "/utf7", LookUpCodePage(BlogTypeWithEncode(Folder, "UTF-7"))), "日本語");
  EXPECT_EQ(FetchPage(Client, "/emoji", 65001), "<title>😀 日記</title>");
}

// Under auto-detection the server's word comes first, then the page's own, then
// detection; an explicit charset is obeyed whatever either says.
TEST_F(PageFetchTest, ContentTypeCharsetBeatsMetaBeatsDetection) {
  auto page = [](const std::string& meta, const std::string& body) {
    return "<html><head>" + meta + "</head><body><h1>" + body + "</h1></body></html>";
  };
  struct Case {
    const char* Name;
    std::string ContentType;
    std::string Utf8Page;
    const char* Charset;
    const char* Encode;
  };
  const std::vector<Case> cases = {
      {"header against a contrary meta", "text/html; charset=EUC-JP",
       page("<meta charset=\"Shift_JIS\">", "雑記"), "EUC-JP", "JISAutoDetect"},
      {"quoted header on half-width kana", "text/html;charset=\"Shift_JIS\"", page("", "ｱｲｳｴｵｶ"),
       "windows-31j", "JISAutoDetect"},
      {"header outside the table, then meta", "text/html; charset=ISO-8859-1",
       page("<meta charset=\"Shift_JIS\">", "ｱｲｳｴｵｶ"), "windows-31j", "JISAutoDetect"},
      {"no charset anywhere", "text/html", page("", "雑記"), "EUC-JP", "JISAutoDetect"},
      {"explicit charset over header and meta", "text/html; charset=Shift_JIS",
       page("<meta charset=\"UTF-8\">", "雑記"), "EUC-JP", "EUC-JP"},
  };
  std::map<std::string, std::string> responses;
  for (size_t i = 0; i < cases.size(); ++i)
    responses["/" + std::to_string(i)] =
        HttpResponse(200, "OK", EncodeAs(cases[i].Utf8Page, cases[i].Charset),
                     "Content-Type: " + cases[i].ContentType + "\r\n");
  LoopbackServer server([&](const HttpRequest& request) -> std::optional<std::string> {
    return responses.at(request.Target);
  });
  for (size_t i = 0; i < cases.size(); ++i) {
    const int codePage = LookUpCodePage(BlogTypeWithEncode(Folder, cases[i].Encode));
    EXPECT_EQ(FetchPage(Client, server.Url("/" + std::to_string(i)), codePage), cases[i].Utf8Page)
        << cases[i].Name;
  }
}

TEST_F(PageFetchTest, BodyIsCutAtItsFirstZeroByte) {
  EXPECT_EQ(FetchPage(Client, Server.Url("/nul"), 65000), "before");
}

TEST_F(PageFetchTest, UnknownCharsetFailsWithTheConverterMessage) {
  const int codePage = LookUpCodePage(BlogTypeWithEncode(Folder, "latin1"));
  EXPECT_EQ(codePage, -1);
  try {
    FetchPage(Client, Server.Url("/sjis"), codePage);
    FAIL() << "no error";
  } catch (const std::runtime_error& error) {
    EXPECT_STREQ(error.what(), "IEコンポーネントの初期化に失敗しました。(2)");
  }
}

TEST_F(PageFetchTest, ConnectionSettingsChooseTheProxyAndGiveTheWait) {
  LoopbackServer proxy([](const HttpRequest& request) -> std::optional<std::string> {
    return HttpResponse(200, "OK", "proxied " + request.Target);
  });
  TAppConfig* config = TAppConfig::GetInstance();
  config->SetProxyServer("127.0.0.1");
  config->SetProxyPort(proxy.Port());
  config->SetSleepTime(120);
  EXPECT_EQ(ApplyConnectionSettings(Client), 120);
  EXPECT_EQ(FetchPage(Client, Server.Url("/x"), 65001), "+ZeVnLIqe-");
  EXPECT_TRUE(proxy.Requests().empty());

  config->SetUseProxy(true);
  THttpClient viaProxy;
  ApplyConnectionSettings(viaProxy);
  EXPECT_EQ(FetchPage(viaProxy, Server.Url("/x"), 65001), "proxied " + Server.Url("/x"));
}

TEST(WaitAfterPageTest, WaitsItsTimeZeroOrNegativeNotAtAllAndCancelCutsItShort) {
  auto took = [](int sleepTime, const std::atomic<bool>* cancel) {
    const auto start = std::chrono::steady_clock::now();
    WaitAfterPage(sleepTime, cancel);
    return std::chrono::steady_clock::now() - start;
  };
  EXPECT_LT(took(0, nullptr), 20ms);
  EXPECT_LT(took(-1, nullptr), 20ms);
  EXPECT_GE(took(100, nullptr), 100ms);
  std::atomic<bool> cancel{true};
  EXPECT_LT(took(10000, &cancel), 1s);
}
