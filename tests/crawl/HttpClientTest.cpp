#include "net/Thttpclient.h"

#include "LoopbackServer.h"
#include "support/LoopbackPorts.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>
#include <optional>
#include <thread>

using namespace std::chrono_literals;

namespace {

std::string ErrorOf(THttpClient& client, const std::string& url) {
  try {
    client.Get(url);
  } catch (const std::runtime_error& error) {
    return error.what();
  }
  return "no error";
}

// Answers with the request target and the cookie it was sent; /login sets a cookie.
std::optional<std::string> EchoHandler(const HttpRequest& request) {
  if (request.Target == "/login")
    return HttpResponse(200, "OK", "in", "Set-Cookie: session=abc123; Path=/\r\n");
  if (request.Target == "/moved")
    return HttpResponse(302, "Found", "", "Location: /elsewhere\r\n");
  if (request.Target == "/away")
    return HttpResponse(301, "Moved Permanently", "", "Location: http://localhost/x\r\n");
  if (request.Target == "/secure")
    return HttpResponse(301, "Moved Permanently", "", "Location: https://127.0.0.1:1/\r\n");
  if (request.Target == "/nowhere")
    return HttpResponse(302, "Found", "");
  if (request.Target == "/loop" || request.Target == "/loop2")
    return HttpResponse(302, "Found", "", request.Target == "/loop" ? "Location: /loop2\r\n" : "Location: /loop\r\n");
  if (request.Target.rfind("/hop/", 0) == 0)
    return HttpResponse(307, "Temporary Redirect", "",
                        "Location: /hop/" + std::to_string(std::stoi(request.Target.substr(5)) + 1) + "\r\n");
  if (request.Target == "/missing")
    return HttpResponse(404, "Not Found", "no such page");
  if (request.Target == "/broken")
    return HttpResponse(500, "Internal Server Error", "oops");
  if (request.Target.rfind("/status/", 0) == 0)
    return HttpResponse(std::stoi(request.Target.substr(8)), "Reason", "");
  if (request.Target == "/reset")
    return std::string();
  if (request.Target == "/hang")
    return std::nullopt;
  return HttpResponse(200, "OK", request.Target + "|" + request.Header("Cookie"));
}

// A listening socket whose accept queue is full: further connection attempts get no
// answer, as from a host that does not respond.
class FullListener {
public:
  FullListener() {
    Listener = BoundOnLoopback(Port, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<uint16_t>(Port));
    for (int& filler : Fillers) {
      filler = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
      connect(filler, reinterpret_cast<sockaddr*>(&address), sizeof address);
    }
  }
  ~FullListener() {
    for (int filler : Fillers)
      close(filler);
    close(Listener);
  }

  int Port = 0;

private:
  int Listener = -1;
  int Fillers[3] = {-1, -1, -1};
};

// Answers the first connection with plain HTTP at once, whatever it sends, as a
// server does to someone who starts TLS with it.
class PlainAnswer {
public:
  PlainAnswer() {
    Listener = BoundOnLoopback(Port, 1);
    Answerer = std::thread([this] {
      const int connection = accept(Listener, nullptr, nullptr);
      const char answer[] = "HTTP/1.1 400 Bad Request\r\n\r\n";
      send(connection, answer, sizeof answer - 1, MSG_NOSIGNAL);
      close(connection);
    });
  }
  ~PlainAnswer() {
    Answerer.join();
    close(Listener);
  }

  int Port = 0;

private:
  int Listener = -1;
  std::thread Answerer;
};

class HttpClientTest : public testing::Test {
protected:
  LoopbackServer Server{EchoHandler};
  THttpClient Client;
};

} // namespace

TEST_F(HttpClientTest, SendsAPlainGetWithTheFixedHeaders) {
  EXPECT_EQ(Client.Get(Server.Url("/page?x=1")), "/page?x=1|");
  const HttpRequest request = Server.Requests().at(0);
  EXPECT_EQ(request.Method, "GET");
  EXPECT_EQ(request.Header("Accept"), "text/html, */*");
  EXPECT_EQ(request.Header("User-Agent"), "Mozilla/3.0 (compatible; Indy Library)");
  EXPECT_EQ(request.Header("Accept-Encoding"), "");
  EXPECT_EQ(request.Header("Host"), "127.0.0.1:" + std::to_string(Server.Port()));
}

TEST_F(HttpClientTest, CookiesStayWithinOneClient) {
  Client.Get(Server.Url("/login"));
  EXPECT_EQ(Client.Get(Server.Url("/entry/1")), "/entry/1|session=abc123");
  THttpClient moved(std::move(Client));
  EXPECT_EQ(moved.Get(Server.Url("/entry/2")), "/entry/2|session=abc123");
  THttpClient other;
  EXPECT_EQ(other.Get(Server.Url("/entry/1")), "/entry/1|");
}

TEST_F(HttpClientTest, ErrorStatusesFailWithTheirMeaningAndTheStatusLine) {
  EXPECT_EQ(ErrorOf(Client, Server.Url("/missing")), "404 ページが見つかりません (HTTP/1.1 404 Not Found)");
  EXPECT_EQ(ErrorOf(Client, Server.Url("/broken")), "500 サーバー内部のエラーです (HTTP/1.1 500 Internal Server Error)");
  const struct {
    int status;
    std::string meaning;
  } cases[] = {
      {400, "400 リクエストが正しくありません"}, {401, "401 認証が必要です"},
      {403, "403 アクセスが禁止されています"},   {410, "410 ページは削除されました"},
      {418, "418 クライアントのエラーです"},     {429, "429 リクエストが多すぎます"},
      {502, "502 ゲートウェイのエラーです"},     {503, "503 サービスを利用できません"},
      {504, "504 ゲートウェイの時間切れです"},   {507, "507 サーバーのエラーです"},
      {304, "a status that is no error of either side keeps its line alone"},
  };
  for (const auto& c : cases) {
    const std::string line = "HTTP/1.1 " + std::to_string(c.status) + " Reason";
    const std::string expected = c.status == 304 ? line : c.meaning + " (" + line + ")";
    EXPECT_EQ(ErrorOf(Client, Server.Url("/status/" + std::to_string(c.status))), expected);
  }
  EXPECT_EQ(Client.Get(Server.Url("/after")), "/after|");
}

// Each failure to fetch says in Japanese what went wrong, then the address, then libcurl's own words.
TEST_F(HttpClientTest, NetworkFailuresSayWhatHappenedInJapaneseFirst) {
  const std::string closed = "http://127.0.0.1:" + std::to_string(ClosedPort()) + "/";
  const std::string unnamed = "http://no-such-blog.tocwerk.invalid/";
  LoopbackServer closing([](const HttpRequest&, const HttpSender&) {});
  const std::string silent = closing.Url("/");
  const std::string reset = Server.Url("/reset");
  PlainAnswer plain;
  const std::string tls = "https://127.0.0.1:" + std::to_string(plain.Port) + "/";
  const std::string ftp = "ftp://127.0.0.1:" + std::to_string(ClosedPort()) + "/";
  THttpClient viaProxy;
  viaProxy.SetProxy("no-such-proxy.tocwerk.invalid", 8080);
  const std::string proxied = Server.Url("/page");
  const struct {
    THttpClient& client;
    std::string url;
    std::string start;
  } cases[] = {
      {Client, closed, "接続できません: " + closed + " ("},
      {Client, unnamed, "サーバーの名前が見つかりません: " + unnamed + " ("},
      {viaProxy, proxied, "プロキシの名前が見つかりません: " + proxied + " ("},
      {Client, silent, "サーバーが何も返さずに接続を閉じました: " + silent + " ("},
      {Client, reset, "通信が途中で切れました: " + reset + " ("},
      {Client, tls, "安全な接続 (TLS) を確立できません: " + tls + " ("},
      {Client, ftp, "この種類のアドレスは取得できません: " + ftp + " ("},
  };
  for (const auto& c : cases) {
    const std::string error = ErrorOf(c.client, c.url);
    EXPECT_EQ(error.rfind(c.start, 0), 0u) << error;
    EXPECT_GT(error.size(), c.start.size() + 1) << "libcurl's words follow: " << error;
    EXPECT_TRUE(error.ends_with(")")) << error;
  }
}

TEST_F(HttpClientTest, RedirectsAreFollowedWithinTheHostOnly) {
  std::vector<std::string> hops;
  Client.SetRedirectListener([&](const std::string& status, const std::string& from, const std::string& to) {
    hops.push_back(status + " " + from + " " + to);
  });
  EXPECT_EQ(Client.Get(Server.Url("/moved")), "/elsewhere|");
  EXPECT_EQ(Client.GetFinalUrl(), Server.Url("/elsewhere"));
  EXPECT_TRUE(Client.WasRedirected());
  EXPECT_EQ(hops, std::vector<std::string>{"HTTP/1.1 302 Found " + Server.Url("/moved") + " " + Server.Url("/elsewhere")});
  EXPECT_EQ(Client.Get("x"), "/x|") << "relative to where the last request ended";

  const struct {
    std::string path;
    std::string error;
  } refused[] = {
      {"/away", "別のホストへの転送には従いません (HTTP/1.1 301 Moved Permanently): http://localhost/x"},
      {"/nowhere", "HTTP/1.1 302 Found (転送先がありません): " + Server.Url("/nowhere")},
      {"/loop", "転送が循環しています (HTTP/1.1 302 Found): " + Server.Url("/loop")},
      {"/hop/1", "転送が多すぎます (5回まで): " + Server.Url("/hop/7")},
  };
  for (const auto& c : refused)
    EXPECT_EQ(ErrorOf(Client, Server.Url(c.path)), c.error);
  // From http to https of the same host is followed: the failure is the TLS one.
  const std::string secure = ErrorOf(Client, Server.Url("/secure"));
  EXPECT_EQ(secure.find("別のホスト"), std::string::npos) << secure;
  EXPECT_NE(secure.find("https://127.0.0.1:1/"), std::string::npos) << secure;
}

TEST_F(HttpClientTest, RelativeUrlsResolveAgainstThePreviousRequest) {
  EXPECT_EQ(Client.Get(Server.Url("/blog/2024/01/entry.html")), "/blog/2024/01/entry.html|");
  EXPECT_EQ(Client.Get("next.html"), "/blog/2024/01/next.html|");
  EXPECT_EQ(Client.Get("../02/entry.html"), "/blog/2024/02/entry.html|");
  EXPECT_EQ(Client.Get("./same.html"), "/blog/2024/02/same.html|");
  EXPECT_EQ(Client.Get("/top.html"), "/top.html|");
  EXPECT_EQ(Client.Get("archive/../list.html?page=2"), "/list.html?page=2|");
  LoopbackServer second(EchoHandler);
  EXPECT_EQ(Client.Get(second.Url("/other")), "/other|");
  EXPECT_EQ(second.Requests().size(), 1u);
}

TEST_F(HttpClientTest, FirstUrlNeedsAHostAndOnlyHttpSchemesAreFetched) {
  EXPECT_NE(ErrorOf(Client, "entry.html").find("ホスト名"), std::string::npos);
  EXPECT_NE(ErrorOf(Client, "/entry.html").find("ホスト名"), std::string::npos);
  EXPECT_NE(ErrorOf(Client, "entry.html?from=http://x/").find("ホスト名"), std::string::npos);
  EXPECT_TRUE(Server.Requests().empty());
  const std::string file = ErrorOf(Client, "file:///etc/hostname");
  EXPECT_NE(file, "no error");
  EXPECT_EQ(file.find("localhost"), std::string::npos);
  const std::string https =
      ErrorOf(Client, "https://127.0.0.1:" + std::to_string(ClosedPort()) + "/");
  EXPECT_NE(https.find("onnect"), std::string::npos) << https;
  EXPECT_NE(ErrorOf(Client, "http://127.0.0.1:" + std::to_string(ClosedPort()) + "/"), "no error");
}

TEST(HttpClientProxyTest, ProxyGetsTheAbsoluteRequestAndEnvironmentProxiesAreIgnored) {
  LoopbackServer site(EchoHandler);
  LoopbackServer proxy([](const HttpRequest& request) -> std::optional<std::string> {
    return HttpResponse(200, "OK", "via proxy " + request.Target);
  });
  THttpClient viaProxy;
  viaProxy.SetProxy("127.0.0.1", proxy.Port());
  EXPECT_EQ(viaProxy.Get("http://blog.tocwerk.invalid/entry/1.html"),
            "via proxy http://blog.tocwerk.invalid/entry/1.html");
  EXPECT_EQ(proxy.Requests().at(0).Header("Host"), "blog.tocwerk.invalid");

  const std::string proxyUrl = proxy.Url("");
  setenv("http_proxy", proxyUrl.c_str(), 1);
  setenv("HTTP_PROXY", proxyUrl.c_str(), 1);
  setenv("ALL_PROXY", proxyUrl.c_str(), 1);
  THttpClient direct;
  const std::string body = direct.Get(site.Url("/direct"));
  unsetenv("http_proxy");
  unsetenv("HTTP_PROXY");
  unsetenv("ALL_PROXY");
  EXPECT_EQ(body, "/direct|");
  EXPECT_EQ(proxy.Requests().size(), 1u);
}

TEST_F(HttpClientTest, SilentServerFailsAfterTheIdleLimit) {
  Client.SetTimeLimits(2s, 1s);
  const auto start = std::chrono::steady_clock::now();
  const std::string error = ErrorOf(Client, Server.Url("/hang"));
  const auto took = std::chrono::steady_clock::now() - start;
  EXPECT_NE(error.find("データが届かなかった"), std::string::npos) << error;
  EXPECT_GE(took, 1s);
  EXPECT_LT(took, 6s);
  EXPECT_EQ(Client.Get(Server.Url("/after")), "/after|");
}

TEST_F(HttpClientTest, UnansweredConnectFailsAfterTheConnectLimit) {
  FullListener listener;
  Client.SetTimeLimits(500ms, 10s);
  const auto start = std::chrono::steady_clock::now();
  const std::string error =
      ErrorOf(Client, "http://127.0.0.1:" + std::to_string(listener.Port) + "/");
  EXPECT_NE(error.find("接続できませんでした"), std::string::npos) << error;
  EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
}

TEST_F(HttpClientTest, CancelAbortsARequestInFlight) {
  std::atomic<bool> cancel{false};
  Client.SetCancelFlag(&cancel);
  std::thread canceller([&cancel] {
    std::this_thread::sleep_for(300ms);
    cancel = true;
  });
  const auto start = std::chrono::steady_clock::now();
  const std::string error = ErrorOf(Client, Server.Url("/hang"));
  canceller.join();
  EXPECT_EQ(error, "ダウンロードを中止しました。");
  EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
  EXPECT_EQ(ErrorOf(Client, Server.Url("/page")), "ダウンロードを中止しました。");
}

namespace {

// A hostile server: /flood sends a body that never ends, /announced announces one
// over the limit, /trickle sends one byte at a time without end; /exact sends a body
// of exactly the limit.
constexpr std::size_t TestBodyLimit = 1024 * 1024;

void HostileServer(const HttpRequest& request, const HttpSender& send) {
  if (request.Target == "/announced") {
    send(HttpResponse(200, "OK", std::string(TestBodyLimit + 1, 'a')));
  } else if (request.Target == "/exact") {
    send(HttpResponse(200, "OK", std::string(TestBodyLimit, 'a')));
  } else if (request.Target == "/flood") {
    const std::string chunk(64 * 1024, 'a');
    bool open = send("HTTP/1.1 200 OK\r\nConnection: close\r\n\r\n");
    while (open)
      open = send(chunk);
  } else if (request.Target == "/trickle") {
    bool open = send("HTTP/1.1 200 OK\r\nContent-Length: 100000\r\n\r\n");
    while (open) {
      std::this_thread::sleep_for(20ms);
      open = send("a");
    }
  }
}

} // namespace

TEST(HttpClientLimitTest, OversizedAndTricklingBodiesFailWithTheirLimitAndTheClientGoesOn) {
  LoopbackServer server{HostileServer};
  THttpClient client;
  client.SetTimeLimits(5s, 5s);
  client.SetBodyLimits(TestBodyLimit, 500ms);
  const std::string tooLarge = "ページが大きすぎます (1 MB を超えています): ";
  const struct {
    std::string path;
    std::string error;
  } cases[] = {
      {"/flood", tooLarge + server.Url("/flood")},
      {"/announced", tooLarge + server.Url("/announced")},
      {"/trickle", "ページの受信が500ミリ秒以内に終わらなかったため中断しました: " + server.Url("/trickle")},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ErrorOf(client, server.Url(c.path)), c.error);
    EXPECT_EQ(client.Get(server.Url("/exact")).size(), TestBodyLimit) << "after " << c.path;
  }
}

namespace {

// /one-line and /many-lines answer with 2 MB of headers; anything else with the
// length of the request target.
std::optional<std::string> HeaderFlood(const HttpRequest& request) {
  constexpr std::size_t Total = 2 * 1024 * 1024;
  std::string headers;
  if (request.Target == "/one-line")
    headers = "X-Big: " + std::string(Total, 'h') + "\r\n";
  if (request.Target == "/many-lines")
    for (std::size_t i = 0; headers.size() < Total; ++i)
      headers += "X-Line-" + std::to_string(i) + ": " + std::string(1000, 'h') + "\r\n";
  return HttpResponse(200, "OK", std::to_string(request.Target.size()), headers);
}

} // namespace

TEST(HttpClientLimitTest, HugeResponseHeadersFailByNameAndTheClientGoesOn) {
  LoopbackServer server(HeaderFlood);
  THttpClient client;
  for (const std::string path : {"/one-line", "/many-lines"}) {
    EXPECT_EQ(ErrorOf(client, server.Url(path)), "応答ヘッダーが大きすぎます: " + server.Url(path));
    EXPECT_EQ(client.Get(server.Url("/small")), "6");
  }
}

TEST(HttpClientLimitTest, UrlsUpTo64KBAreFetchedAndLongerOnesRefusedUnsent) {
  LoopbackServer server(HeaderFlood);
  THttpClient client;
  const std::string root = server.Url("/");
  const auto urlOf = [&](std::size_t length) { return root + std::string(length - root.size(), 'a'); };
  EXPECT_EQ(client.Get(urlOf(65536)), std::to_string(65536 - root.size() + 1));

  const struct {
    std::string url;
    std::string what;
  } refused[] = {
      {urlOf(65537), "one byte over"},
      {urlOf(1024 * 1024), "a megabyte"},
      {"/" + std::string(65530, 'b'), "short alone, too long once resolved"},
  };
  for (const auto& c : refused) {
    const std::string error = ErrorOf(client, c.url);
    EXPECT_EQ(error.rfind("URLが長すぎます (65536 バイトまで): ", 0), 0u) << c.what << ": " << error.substr(0, 200);
    EXPECT_LT(error.size(), 300u) << c.what;
  }
  EXPECT_EQ(server.Requests().size(), 1u);
}
