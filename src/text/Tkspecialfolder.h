#pragma once

#include <cstdint>
#include <string>

// The path of a per-user folder by its kind 0 to 29 (the alphabetical order of the
// Windows shell folder names), without a trailing "/". Kind 1, the application data
// folder, is $XDG_CONFIG_HOME, else ~/.config; the other kinds map to the nearest
// XDG folder or give "". A kind outside 0 to 29 throws std::runtime_error.
std::string GetSpecialFolderPath(int8_t kind);
