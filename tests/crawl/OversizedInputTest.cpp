#include "net/Thttpclient.h"

#include "LoopbackServer.h"

#include <gtest/gtest.h>

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

// /one-line and /many-lines answer with 2 MB of headers; anything else with the
// length of the request target.
std::optional<std::string> Answer(const HttpRequest& request) {
  constexpr std::size_t Total = 2 * 1024 * 1024;
  std::string headers;
  if (request.Target == "/one-line")
    headers = "X-Big: " + std::string(Total, 'h') + "\r\n";
  if (request.Target == "/many-lines")
    for (std::size_t i = 0; headers.size() < Total; ++i)
      headers += "X-Line-" + std::to_string(i) + ": " + std::string(1000, 'h') + "\r\n";
  return HttpResponse(200, "OK", std::to_string(request.Target.size()), headers);
}

TEST(OversizedInputTest, HugeResponseHeadersFailByNameAndTheClientGoesOn) {
  LoopbackServer server(Answer);
  THttpClient client;
  for (const std::string path : {"/one-line", "/many-lines"}) {
    EXPECT_EQ(ErrorOf(client, server.Url(path)), "応答ヘッダーが大きすぎます: " + server.Url(path));
    EXPECT_EQ(client.Get(server.Url("/small")), "6");
  }
}

TEST(OversizedInputTest, UrlsUpTo64KBAreFetchedAndLongerOnesRefusedUnsent) {
  LoopbackServer server(Answer);
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

} // namespace
