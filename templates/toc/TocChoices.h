#pragma once

#include "TocData.h"

#include <string>
#include <vector>

// The value a setting that takes one of a few values has in this run: the set one
// when the program knows it, else the default (also for an empty or missing one).
std::string ChosenValue(const TocData& data, const char* setting);

// One line per setting whose value the program does not know, saying which default
// it makes instead.
std::vector<std::string> UnknownValueWarnings(const TocData& data);
