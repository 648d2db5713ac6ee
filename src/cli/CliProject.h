#pragma once

#include <iosfwd>
#include <string>

class TProject;
class TProjectDb;

// Opens an existing project file into the working copy and holds its lock until
// the command ends; a missing file is told as such.
void OpenProject(const std::string& path, TProjectDb& db, TProject& project);
// The same for a command that only reads: no lock is taken and nothing is saved.
void OpenProjectToRead(const std::string& path, TProjectDb& db, TProject& project);

// Saves the project to path. When another program rewrote the file meanwhile, the
// work is saved beside it as NAME.recovered-YYYYMMDD-HHMMSS.proj instead, told on
// err, and false returned.
bool SaveOrSaveBeside(const std::string& path, TProjectDb& db, TProject& project, std::ostream& err);

// Tells on err about working copies of this project that a run which crashed left
// behind; the desktop program offers to recover them.
void MentionOrphanedWork(const std::string& path, std::ostream& err);
