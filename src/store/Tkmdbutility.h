#pragma once

#include <string>

// Writes a compacted copy of the database at source into destination, which must
// not exist or be empty, and flushes it to disk. The source is opened read-only
// and may be in use by no writer meanwhile.
void CompactDatabase(const std::string& source, const std::string& destination);

// Folds what a run that died left in the database's write-ahead log into the file
// itself, so that the file alone holds every committed change and can be copied.
void FoldWriteAheadLog(const std::string& path);

// The suffixes of the files SQLite keeps beside a database: its journals.
inline constexpr const char* JournalSuffixes[] = {"-wal", "-shm", "-journal"};

// Removes a database's journals; RemoveDatabase the database with them.
void RemoveJournalsOf(const std::string& path);
void RemoveDatabase(const std::string& path);
