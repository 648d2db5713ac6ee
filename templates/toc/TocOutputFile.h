#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// The temporary file that the HTML is written into as it is made, up to a limit.
// Throws std::runtime_error with the reason in words.
class TocOutputFile {
public:
  TocOutputFile(const std::string& path, uint64_t limit);
  ~TocOutputFile();
  TocOutputFile(const TocOutputFile&) = delete;
  TocOutputFile& operator=(const TocOutputFile&) = delete;

  void Write(std::string_view bytes);
  void Close();

private:
  int Fd = -1;
  uint64_t Limit;
  uint64_t Written = 0;
};
