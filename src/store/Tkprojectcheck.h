#pragma once

#include <string>

// Checks that the database file at path is an intact project database: every
// table with the columns the program reads, the staging table (when present) of
// the entries' shape, and no triggers or views, which a project file never has
// and which could change what the program stores. Throws the "cannot open"
// message naming shownName otherwise.
void CheckProjectFile(const std::string& path, const std::string& shownName);

// "<file> を開けません。プロジェクトファイルではないか、壊れています。" and the detail.
std::string NotAProjectMessage(const std::string& shownName, const std::string& detail);
