// tocwerk-toc DATABASE OUTPUT [PROGRAM]
// Writes the table of contents of a generation database as one HTML file.
#include "TocData.h"
#include "TocWriter.h"

#include "store/Tksavefile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>
#include <iostream>
#include <stdexcept>
#include <string>

#include <fcntl.h>
#include <unistd.h>

namespace {

// Fills the temporary file; the reason of a failure in words.
void WriteAll(const std::string& temp, const std::string& content) {
  const int fd = open(temp.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
  if (fd < 0)
    throw std::runtime_error(std::string("一時ファイルを開けません。(") + std::strerror(errno) + ")");
  size_t written = 0;
  while (written < content.size()) {
    const ssize_t n = write(fd, content.data() + written, content.size() - written);
    if (n < 0 && errno == EINTR)
      continue;
    if (n <= 0) {
      const int error = n < 0 ? errno : ENOSPC;
      close(fd);
      throw std::runtime_error(std::string("書き込めません。(") + std::strerror(error) + ")");
    }
    written += static_cast<size_t>(n);
  }
  if (close(fd) != 0)
    throw std::runtime_error(std::string("書き込めません。(") + std::strerror(errno) + ")");
}

// The whole file or nothing: a failed run leaves an earlier output as it was.
void Save(const TSaveTarget& target, const std::string& content) {
  const std::string temp = CreateSaveTemp(target);
  try {
    WriteAll(temp, content);
  } catch (const std::exception& e) {
    std::remove(temp.c_str());
    throw std::runtime_error(CannotSaveMessage(target.Shown, e.what()));
  }
  CommitSave(temp, target);
}

}

int main(int argc, char** argv) {
  if (argc < 3 || argc > 4) {
    std::cerr << "使い方: tocwerk-toc 生成データベース 出力HTMLファイル [プログラムのパス]\n";
    return 2;
  }
  try {
    // The destination is checked first: a refused one costs no rendering.
    const TSaveTarget target = ResolveSaveTarget(argv[2]);
    Save(target, RenderToc(ReadTocData(argv[1])));
    return 0;
  } catch (const std::exception& e) {
    std::cerr << "tocwerk-toc: " << e.what() << "\n";
    return 1;
  }
}
