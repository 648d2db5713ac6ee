#include "net/Tpagefetch.h"

#include "net/Tappconfig.h"
#include "net/Thttpclient.h"
#include "text/Tcharconv.h"
#include "text/Tpagecharset.h"

#include <algorithm>
#include <utility>
#include <chrono>
#include <thread>

int ApplyConnectionSettings(THttpClient& client) {
  const TAppConfig* config = TAppConfig::GetInstance();
  if (config->GetUseProxy())
    client.SetProxy(config->GetProxyServer(), config->GetProxyPort());
  return config->GetSleepTime();
}

std::string FetchPage(THttpClient& client, const std::string& url, int codePage) {
  std::string body = client.Get(url);
  return DecodePage(std::move(body), client.GetContentType(), codePage);
}

std::string DecodePage(std::string body, const std::string& contentType, int codePage) {
  const size_t nul = body.find('\0');
  if (nul != std::string::npos)
    body.resize(nul);
  return ConvertCharset(body, ChoosePageCodePage(codePage, contentType, body));
}

void WaitAfterPage(int sleepTime, const std::atomic<bool>* cancel) {
  using namespace std::chrono;
  const auto deadline = steady_clock::now() + milliseconds(std::max(sleepTime, 0));
  const milliseconds slice(50);
  while (steady_clock::now() < deadline && (cancel == nullptr || !cancel->load()))
    std::this_thread::sleep_for(std::min<steady_clock::duration>(slice, deadline - steady_clock::now()));
}
