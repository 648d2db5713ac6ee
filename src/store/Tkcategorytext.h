#pragma once

#include "store/Tcategory.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

// The names of an entry's categories as one comma text, as the comments page shows
// them: each name trimmed of blanks and control characters, empty ones (the
// reserved category, unknown ids) dropped, a name with a blank, control
// character, comma or double quote written in double quotes with its quotes doubled.
std::string CategoryCommaText(const std::vector<std::int32_t>& ids,
                              const std::map<std::int32_t, TCategory>& categories);
