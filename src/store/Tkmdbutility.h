#pragma once

#include <string>

// Writes a compacted copy of the database at source into destination, which must
// not exist or be empty, and flushes it to disk. The source is opened read-only
// and may be in use by no writer meanwhile.
void CompactDatabase(const std::string& source, const std::string& destination);
