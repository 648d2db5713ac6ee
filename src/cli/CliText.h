#pragma once

#include "text/Tkprintable.h"

#include <string>
#include <string_view>

// One line for a terminal status line: every control character shown as U+FFFD,
// cut with "..." to fit columns.
std::string StatusLineText(std::string_view text, int columns);
