#pragma once

#include <string>

class TProject;
class TProjectDb;

// Opens an existing project file into the working copy; a missing file is told
// as such.
void OpenProject(const std::string& path, TProjectDb& db, TProject& project);
