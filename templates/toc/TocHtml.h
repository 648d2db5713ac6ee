#pragma once

#include <string>
#include <string_view>

// Text from the generation database as the page shows it: a terminal escape or a
// broken byte would reach the page raw. Control characters but tab, line feed and
// carriage return, and invalid UTF-8, become U+FFFD.
std::string PageText(std::string_view text);

// Text made safe for HTML content and quoted attribute values.
void AppendEscaped(std::string& out, std::string_view text);
std::string Escaped(std::string_view text);

// Only http and https addresses become links; anything else (javascript:, data:,
// a relative path) is shown as text.
bool IsWebLink(std::string_view url);
