#pragma once

#include <string>

// What an HTTP error status means, in words a reader of the crawl log knows:
// "404 ページが見つかりません (HTTP/1.1 404 Not Found)". A status that is neither a
// client's nor a server's error keeps the status line alone.
std::string HttpStatusError(long status, const std::string& statusLine);
