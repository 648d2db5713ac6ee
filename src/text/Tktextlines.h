#pragma once

#include <string>
#include <vector>

// Lines ending at CR, LF or CR LF; a last line without an ending counts, an empty
// text gives none. Nothing is trimmed or dropped.
std::vector<std::string> SplitLines(const std::string& text);
