#pragma once

#include <cstddef>
#include <string>

// The longest URL a crawl fetches or resolves, in bytes. Nothing real comes near it;
// a longer one is a fault or an attack, and libcurl would only say "Out of memory".
constexpr std::size_t MaxUrlLength = 64 * 1024;

// Throws std::runtime_error naming the URL's beginning when it is longer than
// MaxUrlLength.
void CheckUrlLength(const std::string& url);

// The URL cut for a message: its first bytes and "…" when it is long, never inside a
// UTF-8 sequence.
std::string ShortUrl(const std::string& url);
