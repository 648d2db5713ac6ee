#pragma once

#include <string>

// Leaves behind a process of its own session that waits for the process of the
// pidfd to end, then removes the database and its journals: a program that runs
// on by itself does not leave its generation database behind. When there is no
// pidfd or no process can be made, the file stays for RemoveStaleGenerationDbs.
void RemoveDatabaseAfter(int pidfd, const std::string& database);
