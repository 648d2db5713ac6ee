#include "TocOutputFile.h"

#include "TocLimits.h"

#include <cerrno>
#include <cstring>
#include <stdexcept>

#include <fcntl.h>
#include <unistd.h>

namespace {

[[noreturn]] void Fail(const char* what, int error) {
  throw std::runtime_error(std::string(what) + "(" + std::strerror(error) + ")");
}

}

TocOutputFile::TocOutputFile(const std::string& path, uint64_t limit) : Limit(limit) {
  Fd = open(path.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
  if (Fd < 0)
    Fail("一時ファイルを開けません。", errno);
}

TocOutputFile::~TocOutputFile() {
  if (Fd >= 0)
    close(Fd);
}

void TocOutputFile::Write(std::string_view bytes) {
  // Checked before writing: a page past the limit never reaches the disk.
  if (bytes.size() > Limit - Written)
    throw std::runtime_error(OutputTooLargeMessage(Limit));
  Written += bytes.size();
  while (!bytes.empty()) {
    const ssize_t n = write(Fd, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR)
      continue;
    if (n <= 0)
      Fail("書き込めません。", n < 0 ? errno : ENOSPC);
    bytes.remove_prefix(static_cast<size_t>(n));
  }
}

void TocOutputFile::Close() {
  const int fd = Fd;
  Fd = -1;
  if (close(fd) != 0)
    Fail("書き込めません。", errno);
}
