#pragma once

#include "store/Tkcancel.h"

#include <string>
#include <vector>

class TProjectDb;
class TUniqueFd;

// Writes the project's entries, memberships, categories and the template settings
// (lines "name=value") into a fresh copy of the blank generation database
// "tocwerk-gen-XXXXXX" in the temporary folder, and returns its path. The file is
// left for the template program; a failed export removes it. lock, when given,
// receives a descriptor holding an flock on the file from its creation on: as long
// as it or a copy in a program is open, the file is in use. canceled is asked
// between rows; when it says stop, the file is removed and TCanceledError thrown.
std::string ExportGenerationDb(TProjectDb& db, const std::string& blankFile,
                               const std::vector<std::string>& settings, TUniqueFd* lock = nullptr,
                               const TCancelCheck& canceled = {});

// Removes the generation databases of this user left in the temporary folder by
// runs that are over: unlocked, and older than a minute (a file just made is
// locked an instant later).
void RemoveStaleGenerationDbs();
