#pragma once

#include <string>
#include <vector>

class TProjectDb;

// Writes the project's entries, memberships, categories and the template settings
// (lines "name=value") into a fresh copy of the blank generation database in the
// temporary folder, and returns its path. The file is left for the template
// program; a failed export removes it.
std::string ExportGenerationDb(TProjectDb& db, const std::string& blankFile,
                               const std::vector<std::string>& settings);
