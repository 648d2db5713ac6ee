#include "net/Thttpclient.h"

#include "net/Tcurlerror.h"
#include "net/Thttpstatus.h"
#include "net/Turllimits.h"
#include "text/Tkascii.h"

#include <curl/curl.h>
#include <sys/socket.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <utility>

namespace {

struct UrlDeleter {
  void operator()(CURLU* url) const { curl_url_cleanup(url); }
};
using Url = std::unique_ptr<CURLU, UrlDeleter>;

struct CurlText {
  char* Text = nullptr;
  ~CurlText() { curl_free(Text); }
};

void InitializeCurlOnce() {
  static const CURLcode result = curl_global_init(CURL_GLOBAL_DEFAULT);
  if (result != CURLE_OK)
    throw std::runtime_error(std::string("libcurl: ") + curl_easy_strerror(result));
}

std::string Seconds(std::chrono::milliseconds duration) {
  const auto ms = duration.count();
  if (ms % 1000 == 0)
    return std::to_string(ms / 1000) + "秒";
  return std::to_string(ms) + "ミリ秒";
}

std::string Bytes(std::size_t size) {
  const std::size_t megabyte = 1024 * 1024;
  if (size % megabyte == 0)
    return std::to_string(size / megabyte) + " MB";
  return std::to_string(size) + " バイト";
}

bool IsLetter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool IsSchemeChar(char c) {
  return IsLetter(c) || (c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.';
}

struct UrlParts {
  std::string Scheme;
  std::string Host;
  std::string Port;
  bool HasCredentials = false;
};

std::string Part(CURLU* url, CURLUPart part, unsigned flags = 0) {
  CurlText text;
  if (curl_url_get(url, part, &text.Text, flags) != CURLUE_OK || text.Text == nullptr)
    return std::string();
  return text.Text;
}

UrlParts PartsOf(const std::string& text) {
  Url url(curl_url());
  if (!url)
    throw std::bad_alloc();
  if (curl_url_set(url.get(), CURLUPART_URL, text.c_str(), 0) != CURLUE_OK)
    return {};
  std::string host = Part(url.get(), CURLUPART_HOST);
  LowerAsciiInPlace(host.begin(), host.end());
  const bool credentials = !Part(url.get(), CURLUPART_USER).empty() || !Part(url.get(), CURLUPART_PASSWORD).empty();
  return {Part(url.get(), CURLUPART_SCHEME), host, Part(url.get(), CURLUPART_PORT, CURLU_DEFAULT_PORT),
          credentials};
}

// A redirect a crawl follows: the same host, by the same scheme and port, or from
// http to https of the same host.
bool IsSameSite(const std::string& from, const std::string& to) {
  const UrlParts a = PartsOf(from);
  const UrlParts b = PartsOf(to);
  if (a.Host.empty() || a.Host != b.Host)
    return false;
  if (a.Scheme == b.Scheme)
    return a.Port == b.Port;
  return a.Scheme == "http" && b.Scheme == "https";
}

std::string OutOfReach(const std::string& address, const std::string& url) {
  return "ブログの外の内部アドレス (" + address + ") には接続しません: " + url;
}

} // namespace

// Every connection the client opens passes here, after name resolution and before connect.
struct SocketGate {
  static curl_socket_t Open(void* client, curlsocktype, curl_sockaddr* address) {
    if (!static_cast<THttpClient*>(client)->AdmitConnection(&address->addr))
      return CURL_SOCKET_BAD;
    return socket(address->family, address->socktype | SOCK_CLOEXEC, address->protocol);
  }
};

bool HasUrlScheme(const std::string& url) {
  const size_t colon = url.find(':');
  if (colon == std::string::npos || colon == 0 || !IsLetter(url[0]))
    return false;
  return std::all_of(url.begin(), url.begin() + static_cast<std::ptrdiff_t>(colon), IsSchemeChar);
}

THttpClient::THttpClient() {
  InitializeCurlOnce();
  Handle = curl_easy_init();
  if (Handle == nullptr)
    throw std::runtime_error("HTTPクライアントを作成できません。");
  Headers = curl_slist_append(nullptr, "Accept: text/html, */*");
  curl_easy_setopt(Handle, CURLOPT_HTTPHEADER, Headers);
  curl_easy_setopt(Handle, CURLOPT_USERAGENT, "Mozilla/3.0 (compatible; Indy Library)");
  curl_easy_setopt(Handle, CURLOPT_HTTPGET, 1L);
  curl_easy_setopt(Handle, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_1));
  curl_easy_setopt(Handle, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(Handle, CURLOPT_FOLLOWLOCATION, 0L);
  curl_easy_setopt(Handle, CURLOPT_COOKIEFILE, "");
  curl_easy_setopt(Handle, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(Handle, CURLOPT_NOPROGRESS, 0L);
  curl_easy_setopt(Handle, CURLOPT_WRITEFUNCTION, &THttpClient::OnBody);
  curl_easy_setopt(Handle, CURLOPT_HEADERFUNCTION, &THttpClient::OnHeader);
  curl_easy_setopt(Handle, CURLOPT_XFERINFOFUNCTION, &THttpClient::OnProgress);
  curl_easy_setopt(Handle, CURLOPT_OPENSOCKETFUNCTION, &SocketGate::Open);
}

THttpClient::~THttpClient() {
  if (Handle != nullptr)
    curl_easy_cleanup(Handle);
  curl_slist_free_all(Headers);
  curl_slist_free_all(Pins);
}

THttpClient::THttpClient(THttpClient&& other) noexcept
    : Handle(std::exchange(other.Handle, nullptr)),
      Headers(std::exchange(other.Headers, nullptr)),
      Pins(std::exchange(other.Pins, nullptr)),
      LastUrl(std::move(other.LastUrl)),
      UseProxy(other.UseProxy),
      ProxyServer(std::move(other.ProxyServer)),
      ProxyPort(other.ProxyPort),
      IdleLimit(other.IdleLimit),
      ConnectLimit(other.ConnectLimit),
      BodyLimit(other.BodyLimit),
      TotalLimit(other.TotalLimit),
      CancelFlag(other.CancelFlag),
      OnRedirect(std::move(other.OnRedirect)),
      Home(other.Home),
      PinnedHosts(std::move(other.PinnedHosts)) {}

THttpClient& THttpClient::operator=(THttpClient&& other) noexcept {
  if (this != &other) {
    THttpClient moved(std::move(other));
    std::swap(Handle, moved.Handle);
    std::swap(Headers, moved.Headers);
    std::swap(Pins, moved.Pins);
    LastUrl = std::move(moved.LastUrl);
    UseProxy = moved.UseProxy;
    ProxyServer = std::move(moved.ProxyServer);
    ProxyPort = moved.ProxyPort;
    IdleLimit = moved.IdleLimit;
    ConnectLimit = moved.ConnectLimit;
    BodyLimit = moved.BodyLimit;
    TotalLimit = moved.TotalLimit;
    CancelFlag = moved.CancelFlag;
    OnRedirect = std::move(moved.OnRedirect);
    Home = moved.Home;
    PinnedHosts = std::move(moved.PinnedHosts);
  }
  return *this;
}

void THttpClient::SetProxy(const std::string& server, int port) {
  UseProxy = true;
  ProxyServer = server;
  ProxyPort = port;
}

void THttpClient::PinPublicHost(const std::string& host, int port, const std::string& address) {
  const std::string hostPort = host + ":" + std::to_string(port);
  Pins = curl_slist_append(Pins, (hostPort + ":" + address).c_str());
  curl_easy_setopt(Handle, CURLOPT_RESOLVE, Pins);
  std::string key = hostPort;
  LowerAsciiInPlace(key.begin(), key.end());
  PinnedHosts.push_back(std::move(key));
}

void THttpClient::SetTimeLimits(std::chrono::milliseconds connect,
                                std::chrono::milliseconds idle) {
  ConnectLimit = connect;
  IdleLimit = idle;
}

void THttpClient::SetBodyLimits(std::size_t maxBody, std::chrono::milliseconds total) {
  BodyLimit = maxBody;
  TotalLimit = total;
}

std::string THttpClient::Resolve(const std::string& url) const {
  return ResolveUrlAgainst(LastUrl, url);
}

std::string WithoutCredentials(const std::string& text) {
  Url url(curl_url());
  if (!url)
    throw std::bad_alloc();
  CurlText shown;
  if (curl_url_set(url.get(), CURLUPART_URL, text.c_str(), 0) != CURLUE_OK ||
      curl_url_set(url.get(), CURLUPART_USER, nullptr, 0) != CURLUE_OK ||
      curl_url_set(url.get(), CURLUPART_PASSWORD, nullptr, 0) != CURLUE_OK ||
      curl_url_get(url.get(), CURLUPART_URL, &shown.Text, 0) != CURLUE_OK)
    return "(URL)";
  return shown.Text;
}

std::string ResolveUrlAgainst(const std::string& base, const std::string& url) {
  CheckUrlLength(url);
  Url parsed(curl_url());
  if (!parsed)
    throw std::bad_alloc();
  if (!base.empty())
    curl_url_set(parsed.get(), CURLUPART_URL, base.c_str(), 0);
  const CURLUcode result = curl_url_set(parsed.get(), CURLUPART_URL, url.c_str(), 0);
  if (result != CURLUE_OK) {
    if (base.empty() && !HasUrlScheme(url))
      throw std::runtime_error("ホスト名のないURLは取得できません: " + url);
    throw std::runtime_error("URLを解釈できません(" + std::string(curl_url_strerror(result)) +
                             "): " + url);
  }
  CurlText resolved;
  if (curl_url_get(parsed.get(), CURLUPART_URL, &resolved.Text, 0) != CURLUE_OK)
    throw std::runtime_error("URLを解釈できません: " + url);
  CheckUrlLength(resolved.Text);
  return resolved.Text;
}

std::string THttpClient::Get(const std::string& url) {
  std::string target = Resolve(url);
  std::vector<std::string> visited;
  Redirected = false;
  while (true) {
    LastUrl = target;
    const long status = Perform(target);
    visited.push_back(target);
    const std::string next = RedirectTarget(status, target, visited);
    if (next.empty()) {
      if (status < 200 || status > 299)
        throw std::runtime_error(HttpStatusError(status, StatusLine));
      return std::move(Body);
    }
    if (OnRedirect)
      OnRedirect(StatusLine, target, next);
    Redirected = true;
    target = next;
  }
}

std::string THttpClient::RedirectTarget(long status, const std::string& from,
                                        const std::vector<std::string>& visited) const {
  if (status != 301 && status != 302 && status != 303 && status != 307 && status != 308)
    return std::string();
  const char* location = nullptr;
  if (curl_easy_getinfo(Handle, CURLINFO_REDIRECT_URL, &location) != CURLE_OK || location == nullptr)
    throw std::runtime_error(StatusLine + " (転送先がありません): " + from);
  const std::string to = location;
  if (!IsSameSite(from, to))
    throw std::runtime_error("別のホストへの転送には従いません (" + StatusLine + "): " + to);
  if (std::find(visited.begin(), visited.end(), to) != visited.end())
    throw std::runtime_error("転送が循環しています (" + StatusLine + "): " + to);
  if (static_cast<int>(visited.size()) > MaxRedirects)
    throw std::runtime_error("転送が多すぎます (" + std::to_string(MaxRedirects) + "回まで): " + to);
  return to;
}

void THttpClient::CheckTarget(const std::string& url) {
  CheckUrlLength(url);
  const UrlParts parts = PartsOf(url);
  if (parts.HasCredentials)
    throw std::runtime_error("アドレスに含まれる認証情報は使いません: " + WithoutCredentials(url));
  Pinned = std::find(PinnedHosts.begin(), PinnedHosts.end(), parts.Host + ":" + parts.Port) != PinnedHosts.end();
  // Through a proxy the connection is the proxy's and the proxy resolves names: only
  // an address written in the URL can be judged.
  if (UseProxy && !MayConnect(Pinned ? TAddressClass::Public : ClassOfHost(parts.Host)))
    throw std::runtime_error(OutOfReach(parts.Host, url));
}

bool THttpClient::MayConnect(TAddressClass target) {
  if (!Home)
    Home = target;
  return MayReach(*Home, target);
}

bool THttpClient::AdmitConnection(const sockaddr* address) {
  // Through a proxy this is the proxy's address; the URL was judged before.
  if (UseProxy || MayConnect(Pinned ? TAddressClass::Public : ClassOfAddress(address)))
    return true;
  Aborted = AbortReason::OutOfReach;
  RefusedAddress = AddressText(address);
  return false;
}

long THttpClient::Perform(const std::string& resolved) {
  if (CancelFlag != nullptr && CancelFlag->load())
    throw std::runtime_error("ダウンロードを中止しました。");
  if (UseProxy && (ProxyPort < 0 || ProxyPort > 65535))
    throw std::runtime_error("プロキシのポート番号が正しくありません: " + std::to_string(ProxyPort));
  CheckTarget(resolved);

  curl_easy_setopt(Handle, CURLOPT_URL, resolved.c_str());
  // An empty proxy turns off the environment's proxy variables too; an empty
  // no-proxy list makes a set proxy apply to every host, loopback included.
  curl_easy_setopt(Handle, CURLOPT_PROXY, UseProxy ? ProxyServer.c_str() : "");
  curl_easy_setopt(Handle, CURLOPT_PROXYPORT, static_cast<long>(UseProxy ? ProxyPort : 0));
  curl_easy_setopt(Handle, CURLOPT_NOPROXY, "");
  curl_easy_setopt(Handle, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(ConnectLimit.count()));
  // Refuses an announced length at once; the body callback catches one that grows.
  curl_easy_setopt(Handle, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(BodyLimit));
  curl_easy_setopt(Handle, CURLOPT_WRITEDATA, this);
  curl_easy_setopt(Handle, CURLOPT_HEADERDATA, this);
  curl_easy_setopt(Handle, CURLOPT_XFERINFODATA, this);
  curl_easy_setopt(Handle, CURLOPT_OPENSOCKETDATA, this);
  curl_easy_setopt(Handle, CURLOPT_ERRORBUFFER, ErrorBuffer);

  Body.clear();
  StatusLine.clear();
  ErrorBuffer[0] = '\0';
  Aborted = AbortReason::None;
  HeaderBytes = 0;
  InHeaders = true;
  Started = std::chrono::steady_clock::now();
  LastActivity = Started;
  const CURLcode result = curl_easy_perform(Handle);
  if (result != CURLE_OK)
    Fail(result, resolved);
  long status = 0;
  curl_easy_getinfo(Handle, CURLINFO_RESPONSE_CODE, &status);
  return status;
}

// libcurl has limits of its own below ours: a header line over CURL_MAX_HTTP_HEADER
// fails as out of memory, and in recent versions headers adding up to a few times
// that fail as a receive error.
bool THttpClient::LibcurlRefusedHeaders(int code) const {
  long headerSize = 0;
  curl_easy_getinfo(Handle, CURLINFO_HEADER_SIZE, &headerSize);
  return InHeaders && (code == CURLE_OUT_OF_MEMORY || (code == CURLE_RECV_ERROR && headerSize > CURL_MAX_HTTP_HEADER));
}

std::string THttpClient::GetContentType() const {
  const char* type = nullptr;
  if (Handle == nullptr || curl_easy_getinfo(Handle, CURLINFO_CONTENT_TYPE, &type) != CURLE_OK ||
      type == nullptr)
    return "";
  return type;
}

void THttpClient::Fail(int code, const std::string& url) const {
  if (Aborted == AbortReason::Canceled)
    throw std::runtime_error("ダウンロードを中止しました。");
  if (Aborted == AbortReason::Idle)
    throw std::runtime_error("サーバーから" + Seconds(IdleLimit) +
                             "の間データが届かなかったため中断しました: " + url);
  if (Aborted == AbortReason::TooLarge || code == CURLE_FILESIZE_EXCEEDED)
    throw std::runtime_error("ページが大きすぎます (" + Bytes(BodyLimit) + " を超えています): " + url);
  if (Aborted == AbortReason::TooSlow)
    throw std::runtime_error("ページの受信が" + Seconds(TotalLimit) +
                             "以内に終わらなかったため中断しました: " + url);
  if (Aborted == AbortReason::OutOfReach && code == CURLE_COULDNT_CONNECT)
    throw std::runtime_error(OutOfReach(RefusedAddress, url));
  if (Aborted == AbortReason::HeadersTooLarge || LibcurlRefusedHeaders(code))
    throw std::runtime_error("応答ヘッダーが大きすぎます: " + url);
  if (code == CURLE_OPERATION_TIMEDOUT)
    throw std::runtime_error("サーバーに" + Seconds(ConnectLimit) + "以内に接続できませんでした: " +
                             url);
  const std::string detail = ErrorBuffer[0] != '\0'
                                 ? ErrorBuffer
                                 : curl_easy_strerror(static_cast<CURLcode>(code));
  const char* meaning = CurlErrorMeaning(code);
  if (meaning == nullptr)
    throw std::runtime_error(detail + ": " + url);
  throw std::runtime_error(std::string(meaning) + ": " + url + " (" + detail + ")");
}

size_t THttpClient::OnBody(char* data, size_t size, size_t count, void* client) {
  auto* self = static_cast<THttpClient*>(client);
  if (size * count > self->BodyLimit - self->Body.size()) {
    self->Aborted = AbortReason::TooLarge;
    return 0;
  }
  self->Body.append(data, size * count);
  self->LastActivity = std::chrono::steady_clock::now();
  return size * count;
}

size_t THttpClient::OnHeader(char* data, size_t size, size_t count, void* client) {
  auto* self = static_cast<THttpClient*>(client);
  const size_t length = size * count;
  self->HeaderBytes += length;
  if (self->HeaderBytes > MaxHeaderBytes) {
    self->Aborted = AbortReason::HeadersTooLarge;
    return 0;
  }
  if (length <= 2 && (data[0] == '\r' || data[0] == '\n'))
    self->InHeaders = false;
  if (length >= 5 && std::memcmp(data, "HTTP/", 5) == 0) {
    self->InHeaders = true;
    std::string line(data, length);
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n'))
      line.pop_back();
    self->StatusLine = std::move(line);
  }
  self->LastActivity = std::chrono::steady_clock::now();
  return length;
}

int THttpClient::OnProgress(void* client, long long, long long, long long, long long) {
  auto* self = static_cast<THttpClient*>(client);
  if (self->CancelFlag != nullptr && self->CancelFlag->load()) {
    self->Aborted = AbortReason::Canceled;
    return 1;
  }
  const auto now = std::chrono::steady_clock::now();
  if (now - self->LastActivity > self->IdleLimit) {
    self->Aborted = AbortReason::Idle;
    return 1;
  }
  if (now - self->Started > self->TotalLimit) {
    self->Aborted = AbortReason::TooSlow;
    return 1;
  }
  return 0;
}
