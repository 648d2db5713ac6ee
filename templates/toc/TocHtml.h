#pragma once

#include <string>
#include <string_view>

// Text made safe for HTML content and quoted attribute values.
void AppendEscaped(std::string& out, std::string_view text);
std::string Escaped(std::string_view text);

// Only http and https addresses become links; anything else (javascript:, data:,
// a relative path) is shown as text.
bool IsWebLink(std::string_view url);
