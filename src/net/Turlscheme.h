#pragma once

#include <string>

// A top page typed as "example.com/blog" names no scheme; such an address is
// read as https. An address with any scheme of its own, http or not, is kept as
// it is, so that a scheme the crawl cannot read still fails with its own message.
// Surrounding spaces do not count.
bool LacksScheme(const std::string& url);
// The address with "https://" in front when it lacks a scheme, else unchanged;
// surrounding spaces are dropped either way.
std::string WithDefaultScheme(const std::string& url);
