#include "store/Tkfileutility.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <stdexcept>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

std::string SystemError(const std::string& what, const std::string& path) {
  return what + ": " + path + " (" + std::strerror(errno) + ")";
}

}

bool CopyFiles(const std::string& source, const std::string& destination, bool) {
  std::error_code error;
  if (!fs::is_regular_file(source, error))
    return false;
  return fs::copy_file(source, destination, fs::copy_options::overwrite_existing, error) &&
         !error;
}

std::string CreateTempFile(const std::string& folder, const std::string& prefix) {
  const std::string base = folder.empty() ? GetTempFolder() : WithTrailingSlash(folder);
  std::string pattern = base + prefix + "XXXXXX";
  std::vector<char> buffer(pattern.begin(), pattern.end());
  buffer.push_back('\0');
  const int fd = mkstemp(buffer.data());
  if (fd < 0)
    throw std::runtime_error("一時ファイルの作成に失敗しました。");
  close(fd);
  return std::string(buffer.data());
}

std::string GetTempFolder() {
  std::error_code error;
  if (const char* tmpdir = std::getenv("TMPDIR"); tmpdir && *tmpdir && fs::is_directory(tmpdir, error))
    return WithTrailingSlash(tmpdir);
  if (fs::is_directory("/tmp", error))
    return "/tmp/";
  throw std::runtime_error("Cannot get temporary direcotry.");
}

void FlushFile(const std::string& path) {
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0)
    throw std::runtime_error(SystemError("ファイルを開けません", path));
  const bool ok = fsync(fd) == 0;
  const int savedErrno = errno;
  close(fd);
  errno = savedErrno;
  if (!ok)
    throw std::runtime_error(SystemError("ファイルをディスクに書き込めません", path));
}

void FlushFolderOf(const std::string& path) {
  const int fd = open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0)
    return;
  fsync(fd);
  close(fd);
}

std::string WithTrailingSlash(const std::string& folder) {
  return !folder.empty() && folder.back() == '/' ? folder : folder + "/";
}

std::string FolderOf(const std::string& path) {
  const auto slash = path.rfind('/');
  if (slash == std::string::npos)
    return "./";
  return path.substr(0, slash + 1);
}
