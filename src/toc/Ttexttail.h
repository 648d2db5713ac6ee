#pragma once

#include <cstddef>
#include <string>

// The last bytes of a stream of text, however long the stream: a program's
// standard error is kept in bounded memory as it arrives.
class TTextTail {
public:
  static constexpr std::size_t DefaultLimit = 64 * 1024;

  explicit TTextTail(std::size_t limit = DefaultLimit) : Limit(limit) {}

  void Append(const char* bytes, std::size_t size);
  // What is kept, starting at a whole UTF-8 character.
  std::string Text() const;

private:
  std::size_t Limit;
  std::string Kept;
};
