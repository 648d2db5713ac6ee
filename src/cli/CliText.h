#pragma once

#include "text/Tkprintable.h"

#include <string>
#include <string_view>

// One line for a terminal status line: every control character shown as U+FFFD,
// cut with "..." to fit columns.
std::string StatusLineText(std::string_view text, int columns);

// A JSON string, valid whatever the text holds: invalid UTF-8 becomes U+FFFD, and
// every control character is escaped, C1 and DEL included.
std::string JsonString(const std::string& text);
