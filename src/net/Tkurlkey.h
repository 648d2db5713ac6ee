#pragma once

#include <string>

// A URL folded as the url columns compare it (NOCASE: ASCII letters only; after a
// NUL, which ends its comparison, only the length counts), so that what a crawl
// keeps in memory matches what the database would take as one URL.
std::string UrlKey(const std::string& url);

// A URL as "already read" compares pages: the scheme and the host without regard
// to case, the rest (the path above all, which most servers read with case) as
// written.
std::string PageKey(const std::string& url);
