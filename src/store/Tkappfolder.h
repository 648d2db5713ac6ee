#pragma once

#include <string>

// The folder of the running executable, ending in "/".
std::string GetExeFolder();

// The program's own data folder of that name ("blog", "template", "db"), ending in
// "/": beside the executable, else in ../share/tocwerk/ relative to it (an
// installed layout). When neither exists, the one beside the executable.
std::string GetAppDataFolder(const std::string& name);

// The folder of the programs that only Tocwerk runs (the bundled template program),
// ending in "/": ../lib/tocwerk/ relative to the executable, in a built tree as in
// an installed one (Debian keeps programs out of /usr/share).
std::string GetProgramLibraryFolder();

// The folder of the blank databases blog.mdb and html.mdb.
std::string GetDbFolder();
