#pragma once

#include <atomic>
#include <string>

class THttpClient;

// The shared step of both crawls: set the client up from the connection settings,
// fetch a page and convert it, wait after it.

// Applies the proxy of the connection settings to the client; returns the wait
// after pages in milliseconds.
int ApplyConnectionSettings(THttpClient& client);

// The page at url as UTF-8: the body up to its first zero byte, converted from
// codePage; under auto-detection, from the charset the response's Content-Type
// or the page itself declares before any detection. Throws std::runtime_error on
// any failure.
std::string FetchPage(THttpClient& client, const std::string& url, int codePage);
// A response body as FetchPage makes it UTF-8.
std::string DecodePage(std::string body, const std::string& contentType, int codePage);

// Sleeps sleepTime milliseconds (a negative time as 0); returns early once the
// cancel flag, when given, is set.
void WaitAfterPage(int sleepTime, const std::atomic<bool>* cancel = nullptr);
