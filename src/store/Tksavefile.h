#pragma once

#include "store/Tkprojectlock.h"

#include <string>

// Where a file is saved. A symbolic link is followed: the file it points to is
// what gets replaced, and the link stays a link.
struct TSaveTarget {
  std::string Shown;
  std::string Path;
  bool Exists = false;
};

// "<shown> に保存できません。" followed by the reason.
std::string CannotSaveMessage(const std::string& shown, const std::string& reason);

// Checks the destination before anything is written: a destination that exists
// must be a regular file we may write, and its folder must exist and be writable.
// Throws std::runtime_error with the message above.
TSaveTarget ResolveSaveTarget(const std::string& path);

// A new, empty file in the target's folder, named ".NAME.tocwerk-XXXXXXXX" after
// the target (cut so that a long file name still leaves room). lock, when given,
// holds it from its creation on, until it has become the project file.
std::string CreateSaveTemp(const TSaveTarget& target, TProjectLock* lock = nullptr);

// Removes what saves of the target that died left beside it (their temporary files
// and journals), leaving those whose saver still holds them.
void RemoveStaleSaveTemps(const std::string& target);


// Gives temp the permissions (and, for root, the owner) of the file it replaces,
// flushes it, renames it over the target and flushes the folder. A target that
// did not exist is never replaced by one made meanwhile. On failure the
// temporary file is removed and the message above thrown.
void CommitSave(const std::string& temp, const TSaveTarget& target);
