#pragma once

#include "store/Tkcancel.h"

#include <string>
#include <vector>

class TProjectDb;
class TFileLock;

// Writes the project's entries, memberships, categories and the template settings
// (lines "name=value") into a fresh copy of the blank generation database
// "tocwerk-gen-XXXXXX" in the temporary folder, and returns its path. The file is
// left for the template program; a failed export removes it. lock, when given,
// receives the file's lock, held from its creation on: as long as its descriptor
// or a copy in a program is open, the file is in use (where flock works; else
// while the lock lives). canceled is asked between rows; when it says stop, the
// file is removed and TCanceledError thrown.
std::string ExportGenerationDb(TProjectDb& db, const std::string& blankFile,
                               const std::vector<std::string>& settings, TFileLock* lock = nullptr,
                               const TCancelCheck& canceled = {});

// Removes the generation databases of this user left in the temporary folder by
// runs that are over: unlocked, and older than a minute (a file just made is
// locked an instant later).
void RemoveStaleGenerationDbs();
