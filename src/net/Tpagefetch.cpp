#include "crawl/Tpagefetch.h"

#include "crawl/Tappconfig.h"
#include "crawl/Tblogconfig.h"
#include "crawl/Tcharconv.h"
#include "crawl/Tcodepage.h"
#include "crawl/Thttpclient.h"
#include "crawl/Tpagecharset.h"

#include <algorithm>
#include <chrono>
#include <thread>

int ApplyConnectionSettings(THttpClient& client) {
  const TAppConfig* config = TAppConfig::GetInstance();
  if (config->GetUseProxy())
    client.SetProxy(config->GetProxyServer(), config->GetProxyPort());
  return config->GetSleepTime();
}

int LookUpCodePage(const TBlogConfig& blogType) {
  return TCodePage::GetInstance()->FindCodePage(blogType.GetEncode());
}

std::string FetchPage(THttpClient& client, const std::string& url, int codePage) {
  std::string body = client.Get(url);
  const size_t nul = body.find('\0');
  if (nul != std::string::npos)
    body.resize(nul);
  return ConvertCharset(body, ChoosePageCodePage(codePage, client.GetContentType(), body));
}

void WaitAfterPage(int sleepTime, const std::atomic<bool>* cancel) {
  using namespace std::chrono;
  const auto deadline = steady_clock::now() + milliseconds(std::max(sleepTime, 0));
  const milliseconds slice(50);
  while (steady_clock::now() < deadline && (cancel == nullptr || !cancel->load()))
    std::this_thread::sleep_for(std::min<steady_clock::duration>(slice, deadline - steady_clock::now()));
}
