#pragma once

#include "net/Taddressclass.h"

#include <atomic>
#include <chrono>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

typedef void CURL;
struct curl_slist;
struct sockaddr;

// The HTTP client of one crawl: GET only, cookies kept in memory for this client
// alone, no proxy unless one is set (proxy variables of the environment are
// ignored). Redirects are followed up to MaxRedirects hops within the same host
// (and from http to https of it). A relative URL is resolved against the page the
// previous request ended at.
//
// The client stays within the reach of the first address it connects to, the blog's
// top page: from a public address it never connects to a loopback, private or
// link-local one, checked on the address actually connected after name resolution;
// from an address in one of those classes, that class is reachable too. A URL that
// carries a user name or password is never fetched. URLs over MaxUrlLength bytes and
// response headers over MaxHeaderBytes (or libcurl's lower limits) fail, naming
// the reason.
class THttpClient {
public:
  THttpClient();
  ~THttpClient();
  THttpClient(THttpClient&& other) noexcept;
  THttpClient& operator=(THttpClient&& other) noexcept;
  THttpClient(const THttpClient&) = delete;
  THttpClient& operator=(const THttpClient&) = delete;

  // Every later request goes through this HTTP proxy.
  void SetProxy(const std::string& server, int port);
  // A request fails when it is not connected within connect, or when no byte arrives
  // for idle.
  void SetTimeLimits(std::chrono::milliseconds connect, std::chrono::milliseconds idle);
  // A request fails when its body grows past maxBody bytes, or when it has not ended
  // within total (a server that trickles keeps the idle limit from firing).
  void SetBodyLimits(std::size_t maxBody, std::chrono::milliseconds total);
  // Connects host:port at address without asking the resolver, and takes that
  // connection for one to a public address: lets a test play a public blog on a
  // loopback server.
  void PinPublicHost(const std::string& host, int port, const std::string& address);
  // When the flag becomes true, a request in flight stops and fails.
  void SetCancelFlag(const std::atomic<bool>* flag) { CancelFlag = flag; }

  // Called before each redirect is followed: the status line, where from, where to.
  using RedirectListener = std::function<void(const std::string& status, const std::string& from,
                                              const std::string& to)>;
  void SetRedirectListener(RedirectListener listener) { OnRedirect = std::move(listener); }

  // The body of a 2xx response, byte for byte, after the redirects. Any other
  // status throws std::runtime_error with its meaning and the status line the
  // server sent ("404 ページが見つかりません (HTTP/1.1 404 Not Found)"); so does a failure to reach the server, and a
  // redirect to another host, one that comes round again or one hop too many,
  // naming where it pointed.
  std::string Get(const std::string& url);
  // The address the last request ended at, after its redirects.
  const std::string& GetFinalUrl() const { return LastUrl; }
  // Whether the last request was redirected.
  bool WasRedirected() const { return Redirected; }

  // The Content-Type header of the last response, "" when it sent none.
  std::string GetContentType() const;

  // The absolute form of url, relative to the previous request; throws when it
  // cannot be made.
  std::string Resolve(const std::string& url) const;

  static constexpr int MaxRedirects = 5;
  static constexpr std::size_t MaxHeaderBytes = 1024 * 1024;

private:
  enum class AbortReason { None, Canceled, Idle, TooLarge, TooSlow, OutOfReach, HeadersTooLarge };

  [[noreturn]] void Fail(int code, const std::string& url) const;
  // Whether a failed transfer stopped at libcurl's own limits on response headers.
  bool LibcurlRefusedHeaders(int code) const;
  // Throws when url may not be fetched for what it says: its length, credentials,
  // through a proxy the address it names.
  void CheckTarget(const std::string& url);
  // Whether the client may connect to an address of the class; the first one asked
  // sets its reach.
  bool MayConnect(TAddressClass target);
  // One request, no redirect followed; the status code.
  long Perform(const std::string& url);
  // Where a redirect response points, checked; "" when the response is none.
  std::string RedirectTarget(long status, const std::string& from, const std::vector<std::string>& visited) const;

  static size_t OnBody(char* data, size_t size, size_t count, void* client);
  static size_t OnHeader(char* data, size_t size, size_t count, void* client);
  static int OnProgress(void* client, long long, long long, long long, long long);
  // Whether a connection to address may be opened; notes why not.
  bool AdmitConnection(const sockaddr* address);
  friend struct SocketGate;

  CURL* Handle = nullptr;
  curl_slist* Headers = nullptr;
  curl_slist* Pins = nullptr;
  std::string LastUrl;
  bool Redirected = false;
  bool UseProxy = false;
  std::string ProxyServer;
  int ProxyPort = 0;
  std::chrono::milliseconds IdleLimit{60000};
  std::chrono::milliseconds ConnectLimit{30000};
  std::size_t BodyLimit = 32 * 1024 * 1024;
  std::chrono::milliseconds TotalLimit{5 * 60 * 1000};
  const std::atomic<bool>* CancelFlag = nullptr;
  RedirectListener OnRedirect;
  std::optional<TAddressClass> Home;
  std::vector<std::string> PinnedHosts;

  // Per request.
  bool Pinned = false;
  std::string RefusedAddress;
  std::size_t HeaderBytes = 0;
  bool InHeaders = false;
  std::string Body;
  std::string StatusLine;
  std::chrono::steady_clock::time_point Started;
  std::chrono::steady_clock::time_point LastActivity;
  AbortReason Aborted = AbortReason::None;
  char ErrorBuffer[256] = {};
};

// The absolute form of url relative to base (itself when absolute); throws
// std::runtime_error when it cannot be made.
std::string ResolveUrlAgainst(const std::string& base, const std::string& url);

// The address as a log may show it: a user name and password written in it are left out.
std::string WithoutCredentials(const std::string& url);

// Whether url begins with a scheme and ":" ("http:", "mailto:"), which makes it
// absolute; "://" later in the text, in a query for instance, does not.
bool HasUrlScheme(const std::string& url);
