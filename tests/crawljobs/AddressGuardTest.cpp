#include "TestBlog.h"

#include "crawl/Tentrycrawl.h"
#include "net/Tappconfig.h"
#include "net/Thttpclient.h"
#include "store/Tentry.h"
#include "store/Tkappfolder.h"
#include "store/Tprojectdb.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace std::chrono_literals;

namespace {

const std::string Inside = "ブログの外の内部アドレス";
const std::string Credentials = "アドレスに含まれる認証情報は使いません";

// A blog and, beside it, a server inside the user's network that a crawl from a
// public blog must never reach. The blog plays a public one as "blog.example".
class AddressGuardTest : public ::testing::Test {
protected:
  AddressGuardTest()
      : Internal([](const HttpRequest&) -> std::optional<std::string> {
          return HttpResponse(200, "OK", TestBlog::EntryPage("2024/01/01", "内部", ""));
        }) {
    TAppConfig::GetInstance()->SetSleepTime(0);
    TAppConfig::GetInstance()->SetUseProxy(false);
    Blog.SetPage("/e/1", TestBlog::EntryPage("2024/05/01", "一つ目", ""));
  }

  std::string PublicUrl(const std::string& path) const {
    return "http://blog.example:" + std::to_string(Blog.Port()) + path;
  }
  std::string InternalPort() const { return std::to_string(Internal.Port()); }

  // The entry crawl from top, whose page names recent as the newest entry.
  bool Crawl(const std::string& top, const std::string& recent) {
    Db.New(GetDbFolder() + "blog.mdb");
    Blog.SetPage("/", "top recent:" + recent + ";");
    TEntryCrawl crawl;
    crawl.PinPublicHost("blog.example", Blog.Port(), "127.0.0.1");
    crawl.SetStartUrl(top);
    crawl.SetDb(&Db);
    crawl.SetBlogConfig(Blog.BlogType());
    crawl.SetListener(&Listener);
    crawl.SetHttpTimeLimits(1s, 5s);
    Listener.Lines.clear();
    return crawl.Run();
  }

  bool Logged(const std::string& text) const {
    return std::any_of(Listener.Lines.begin(), Listener.Lines.end(),
                       [&](const std::string& line) { return line.find(text) != std::string::npos; });
  }

  TestBlog Blog;
  LoopbackServer Internal;
  TProjectDb Db;
  RecordingListener Listener;
};

TEST_F(AddressGuardTest, FromAPublicBlogNothingInsideTheNetworkIsFetchedAndNoCredentialIsSent) {
  const std::string blogPort = std::to_string(Blog.Port());
  Blog.Redirect("/jump", 302, "http://user:pw@blog.example:" + blogPort + "/e/1");
  const struct {
    std::string recent;
    std::string refusal;
  } cases[] = {
      {"http://127.0.0.1:" + InternalPort() + "/e", Inside},
      {"http://2130706433:" + InternalPort() + "/e", Inside},
      {"http://0x7f.1:" + InternalPort() + "/e", Inside},
      {"http://[::1]:" + InternalPort() + "/e", Inside},
      {"http://[::ffff:127.0.0.1]:" + InternalPort() + "/e", Inside},
      {"http://localhost:" + InternalPort() + "/e", Inside},
      {"http://10.0.0.1:" + InternalPort() + "/e", Inside},
      {"http://169.254.169.254/latest/meta-data/", Inside},
      {"http://user:pw@127.0.0.1:" + InternalPort() + "/e", Credentials},
      {"http://user:pw@blog.example:" + blogPort + "/e/1", Credentials},
      {"http://user@blog.example:" + blogPort + "/e/1", Credentials},
      {PublicUrl("/jump"), Credentials},
  };
  for (const auto& c : cases) {
    EXPECT_FALSE(Crawl(PublicUrl("/"), c.recent)) << c.recent;
    EXPECT_TRUE(Logged(c.refusal)) << c.recent << "\n" << testing::PrintToString(Listener.Lines);
  }
  EXPECT_FALSE(Logged(":pw@")) << "a password in an address is not repeated in the log\n" << testing::PrintToString(Listener.Lines);
  EXPECT_TRUE(Internal.Requests().empty());
  for (const HttpRequest& request : Blog.Requests())
    EXPECT_EQ(request.Header("Authorization"), "") << request.Target;

  EXPECT_TRUE(Crawl(PublicUrl("/"), PublicUrl("/e/1"))) << "the blog's own pages are read";
  EXPECT_EQ(LoadEntries(Db).at(0).GetUrl(), PublicUrl("/e/1"));
}

TEST_F(AddressGuardTest, ABlogOnLoopbackReachesLoopbackButNotThePrivateNetwork) {
  EXPECT_TRUE(Crawl(Blog.Url("/"), "http://localhost:" + InternalPort() + "/e"));
  EXPECT_EQ(Internal.Requests().size(), 1u);
  for (const std::string recent : {"http://10.0.0.1/", "http://192.168.0.1/", "http://169.254.169.254/"}) {
    EXPECT_FALSE(Crawl(Blog.Url("/"), recent));
    EXPECT_TRUE(Logged(Inside)) << recent;
  }
}

TEST(AddressGuardProxyTest, ThroughAProxyTheAddressWrittenInTheUrlIsJudged) {
  LoopbackServer proxy([](const HttpRequest& request) -> std::optional<std::string> {
    return HttpResponse(200, "OK", "via proxy " + request.Target);
  });
  THttpClient client;
  client.SetProxy("127.0.0.1", proxy.Port());
  EXPECT_EQ(client.Get("http://blog.example/"), "via proxy http://blog.example/");
  for (const std::string url : {"http://127.0.0.1/", "http://2130706433/", "http://[::1]/", "http://localhost/",
                                "http://10.1.2.3/", "http://[fd00::1]/"}) {
    try {
      client.Get(url);
      ADD_FAILURE() << url << " was fetched";
    } catch (const std::runtime_error& error) {
      EXPECT_NE(std::string(error.what()).find(Inside), std::string::npos) << error.what();
    }
  }
  EXPECT_EQ(proxy.Requests().size(), 1u);
}

} // namespace
