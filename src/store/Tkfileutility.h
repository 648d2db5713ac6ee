#pragma once

#include <string>

// Copies one file over another. False when it could not be done; never throws.
// The progress flag is kept for the callers' sake; no progress is shown.
bool CopyFiles(const std::string& source, const std::string& destination, bool showProgress);

// Makes a new, empty file with a unique name (mode 0600) and returns its path.
// An empty folder means the temporary folder.
std::string CreateTempFile(const std::string& folder, const std::string& prefix);

// The temporary folder ($TMPDIR, else /tmp), ending in "/".
std::string GetTempFolder();

// Writes a file's data to disk before it is trusted, and a rename inside a folder
// to disk after it.
void FlushFile(const std::string& path);
void FlushFolderOf(const std::string& path);

// The folder with a "/" at its end.
std::string WithTrailingSlash(const std::string& folder);

// The folder part of a path, ending in "/" ("./" for a bare name).
std::string FolderOf(const std::string& path);
