#include "ServerProcess.h"

#include "SampleBlog.h"
#include "net/Thttpclient.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <signal.h>

#include <chrono>
#include <filesystem>
#include <thread>

namespace {

std::string StatusOf(THttpClient& client, const std::string& url) {
  try {
    client.Get(url);
  } catch (const std::runtime_error& error) {
    return error.what();
  }
  return "HTTP/1.1 200 OK";
}

// A small generated blog, plus a secret file beside the served folder.
class SampleServerTest : public testing::Test {
protected:
  SampleServerTest() {
    TSampleBlogOptions options;
    options.Entries = 12;
    Blog = std::make_unique<TSampleBlog>(options);
    Blog->Write(Served());
    WriteFile(Folder.File("secret.txt"), "secret");
  }

  std::string Served() const { return Folder.File("blog"); }
  std::string Expected(const std::string& name) const { return Blog->Files().at(name); }

  TempFolder Folder;
  std::unique_ptr<TSampleBlog> Blog;
};

TEST_F(SampleServerTest, ServesPagesByteForByteAndAnswersMissingOnesWith404) {
  ServerProcess server({SAMPLE_SERVER_PROGRAM, Served()});
  THttpClient client;
  EXPECT_EQ(client.Get(server.Url("/")), Expected("index.html"));
  EXPECT_EQ(client.Get(server.Url("/index.html")), Expected("index.html"));
  EXPECT_EQ(client.Get(server.Url("/entry/7.html")), Expected("entry/7.html"));
  EXPECT_EQ(client.Get(server.Url("/category/food/")), Expected("category/food/index.html"));
  EXPECT_EQ(client.Get(server.Url("/category/food")), Expected("category/food/index.html"));
  EXPECT_EQ(client.Get(server.Url("/entry/7.html?utm=1")), Expected("entry/7.html"));
  EXPECT_EQ(client.Get(server.Url("/entry/%37.html")), Expected("entry/7.html"));
  EXPECT_EQ(StatusOf(client, server.Url("/entry/99.html")), "404 ページが見つかりません (HTTP/1.1 404 Not Found)");
  EXPECT_EQ(StatusOf(client, server.Url("/entry/")), "404 ページが見つかりません (HTTP/1.1 404 Not Found)");
}

TEST_F(SampleServerTest, AnswersWithContentTypeLengthAndKeepsTheConnection) {
  ServerProcess server({SAMPLE_SERVER_PROGRAM, Served()});
  const std::string request = "GET /entry/1.html HTTP/1.1\r\nHost: x\r\n\r\n";
  const std::string response =
      RawExchange(server.Port(), request + "HEAD /entry/2.html HTTP/1.1\r\nHost: x\r\n"
                                           "Connection: close\r\n\r\n");
  const std::string first = Expected("entry/1.html");
  const std::string head1 = "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nContent-Length: " +
                            std::to_string(first.size()) + "\r\nConnection: keep-alive\r\n\r\n";
  const std::string head2 = "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nContent-Length: " +
                            std::to_string(Expected("entry/2.html").size()) +
                            "\r\nConnection: close\r\n\r\n";
  EXPECT_EQ(response, head1 + first + head2);
}

TEST_F(SampleServerTest, RefusesMalformedRequestsAndOtherMethods) {
  ServerProcess server({SAMPLE_SERVER_PROGRAM, Served()});
  EXPECT_TRUE(RawExchange(server.Port(), "nonsense\r\n\r\n").starts_with("HTTP/1.1 400 "));
  EXPECT_TRUE(RawExchange(server.Port(), "POST / HTTP/1.1\r\nConnection: close\r\n\r\n")
                  .starts_with("HTTP/1.1 405 Method Not Allowed\r\n"));
}

TEST_F(SampleServerTest, NeverServesAFileOutsideItsFolder) {
  std::filesystem::create_directory_symlink(Folder.Path(), Served() + "/outside");
  ServerProcess server({SAMPLE_SERVER_PROGRAM, Served()});
  for (const std::string target :
       {"/../secret.txt", "/entry/../../secret.txt", "/%2e%2e/secret.txt", "/..%2fsecret.txt",
        "/outside/secret.txt", "../secret.txt", "/entry/..\\..\\secret.txt"}) {
    const std::string response =
        RawExchange(server.Port(), "GET " + target + " HTTP/1.1\r\nConnection: close\r\n\r\n");
    EXPECT_TRUE(response.starts_with("HTTP/1.1 404 Not Found\r\n")) << target << ": " << response;
    EXPECT_EQ(response.find("secret\n"), std::string::npos) << target;
  }
}

TEST_F(SampleServerTest, WithCookieRequiredOnlyTheTopPageIsOpenToANewVisitor) {
  ServerProcess server({SAMPLE_SERVER_PROGRAM, "--require-cookie", Served()});
  THttpClient stranger;
  EXPECT_EQ(StatusOf(stranger, server.Url("/entry/3.html")), "403 アクセスが禁止されています (HTTP/1.1 403 Forbidden)");
  EXPECT_EQ(StatusOf(stranger, server.Url("/category/diary/")), "403 アクセスが禁止されています (HTTP/1.1 403 Forbidden)");

  THttpClient visitor;
  EXPECT_EQ(visitor.Get(server.Url("/")), Expected("index.html"));
  EXPECT_EQ(visitor.Get(server.Url("/entry/3.html")), Expected("entry/3.html"));
  EXPECT_EQ(visitor.Get(server.Url("/category/diary/")), Expected("category/diary/index.html"));

  const std::string top = RawExchange(server.Port(), "GET / HTTP/1.1\r\nConnection: close\r\n\r\n");
  EXPECT_NE(top.find("\r\nSet-Cookie: tocwerk_sample=visited; Path=/\r\n"), std::string::npos);
  const std::string forged = RawExchange(
      server.Port(), "GET /entry/3.html HTTP/1.1\r\nCookie: a=b; tocwerk_sample=other\r\n"
                     "Connection: close\r\n\r\n");
  EXPECT_TRUE(forged.starts_with("HTTP/1.1 403 Forbidden\r\n"));
}

TEST_F(SampleServerTest, WaitsTheDelayBeforeEveryResponse) {
  ServerProcess server({SAMPLE_SERVER_PROGRAM, "--delay", "300", Served()});
  THttpClient client;
  const auto start = std::chrono::steady_clock::now();
  client.Get(server.Url("/"));
  StatusOf(client, server.Url("/missing.html"));
  const auto elapsed = std::chrono::steady_clock::now() - start;
  EXPECT_GE(elapsed, std::chrono::milliseconds(600));
  EXPECT_LT(elapsed, std::chrono::seconds(5));
}

TEST_F(SampleServerTest, ServesManyPagesASecondOverOneConnection) {
  ServerProcess server({SAMPLE_SERVER_PROGRAM, Served()});
  THttpClient client;
  const int count = 300;
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < count; ++i)
    client.Get(server.Url(TSampleBlog::EntryPath(i % 12 + 1)));
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  // The crawl benchmark needs 300 pages a second through this server; a stall per
  // response (Nagle against delayed ACK) would give about 25.
  EXPECT_GT(count / seconds, 500.0) << count / seconds << " pages/s";
}

TEST_F(SampleServerTest, StopsOnSigtermAndSigintWhileAResponseIsPending) {
  for (const int signal : {SIGTERM, SIGINT}) {
    ServerProcess server({SAMPLE_SERVER_PROGRAM, "--delay", "10000", Served()});
    std::string pending = "not answered";
    std::thread waiting([&] { pending = RawExchange(server.Port(), "GET / HTTP/1.1\r\n\r\n"); });
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(server.Signal(signal, 3000), 0);
    waiting.join();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));
    EXPECT_EQ(pending, "");
    EXPECT_EQ(RawExchange(server.Port(), "GET / HTTP/1.1\r\n\r\n"), "");
  }
}

TEST_F(SampleServerTest, ReportsUsageAndStartupErrors) {
  const ProgramResult usage = RunProgram({SAMPLE_SERVER_PROGRAM, "--port", "x", Served()});
  EXPECT_EQ(usage.Status, 2);
  EXPECT_NE(usage.Output.find("usage: tocwerk-sample-server"), std::string::npos);
  const ProgramResult missing = RunProgram({SAMPLE_SERVER_PROGRAM, Folder.File("nowhere")});
  EXPECT_EQ(missing.Status, 1);
  EXPECT_NE(missing.Output.find("no such folder"), std::string::npos);

  ServerProcess first({SAMPLE_SERVER_PROGRAM, Served()});
  const ProgramResult taken =
      RunProgram({SAMPLE_SERVER_PROGRAM, "--port", std::to_string(first.Port()), Served()});
  EXPECT_EQ(taken.Status, 1);
  EXPECT_NE(taken.Output.find("cannot listen on 127.0.0.1:"), std::string::npos);
}

} // namespace
