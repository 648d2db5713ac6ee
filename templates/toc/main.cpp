// tocwerk-toc DATABASE OUTPUT [PROGRAM]
// Writes the table of contents of a generation database as one HTML file.
#include "TocData.h"
#include "TocWriter.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>
#include <iostream>
#include <stdexcept>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string SystemError(const std::string& what, const std::string& path) {
  return what + ": " + path + " (" + std::strerror(errno) + ")";
}

// A temporary file beside the output, renamed over it once complete, so a failed
// run leaves any earlier output as it was.
void WriteAtomically(const std::string& path, const std::string& content) {
  std::string pattern = path + ".XXXXXX";
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  const int fd = mkstemp(name.data());
  if (fd < 0)
    throw std::runtime_error(SystemError("出力ファイルを作成できません", path));
  const std::string temp = name.data();
  size_t written = 0;
  bool ok = true;
  while (ok && written < content.size()) {
    const ssize_t n = write(fd, content.data() + written, content.size() - written);
    if (n < 0 && errno == EINTR)
      continue;
    ok = n > 0;
    written += ok ? static_cast<size_t>(n) : 0;
  }
  const mode_t mask = umask(0);
  umask(mask);
  ok = ok && fchmod(fd, 0666 & ~mask) == 0 && fsync(fd) == 0;
  const std::string error = ok ? std::string() : SystemError("出力ファイルに書き込めません", path);
  ok = close(fd) == 0 && ok;
  if (!ok || std::rename(temp.c_str(), path.c_str()) != 0) {
    const std::string message = error.empty() ? SystemError("出力ファイルに書き込めません", path) : error;
    std::remove(temp.c_str());
    throw std::runtime_error(message);
  }
}

}

int main(int argc, char** argv) {
  if (argc < 3 || argc > 4) {
    std::cerr << "使い方: tocwerk-toc 生成データベース 出力HTMLファイル [プログラムのパス]\n";
    return 2;
  }
  try {
    WriteAtomically(argv[2], RenderToc(ReadTocData(argv[1])));
    return 0;
  } catch (const std::exception& e) {
    std::cerr << "tocwerk-toc: " << e.what() << "\n";
    return 1;
  }
}
