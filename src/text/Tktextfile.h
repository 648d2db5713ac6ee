#pragma once

#include <string>

// Settings files and blog type scripts may come from Windows: UTF-8 with or without
// a byte order mark is taken as it is (the mark dropped), anything else is read as
// code page 932. The result is UTF-8.
std::string DecodeTextBytes(const std::string& bytes);

// The whole file, decoded as above. Throws std::runtime_error when the file cannot
// be read; a missing file is such a failure too.
std::string ReadTextFile(const std::string& path);

// The whole file as bytes. Throws std::runtime_error when it cannot be read.
std::string ReadFileBytes(const std::string& path);
