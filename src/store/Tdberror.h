#pragma once

#include <stdexcept>
#include <string>

// A failure of the database engine, carrying the engine's own message.
class TDbError : public std::runtime_error {
public:
  explicit TDbError(const std::string& message) : std::runtime_error(message) {}
};
