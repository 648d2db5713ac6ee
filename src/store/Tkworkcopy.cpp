#include "store/Tkworkcopy.h"

#include "store/Tkfilelock.h"
#include "store/Tkmdbutility.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <stdexcept>
#include <vector>

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

const char* const SideSuffix = ".info";
const char* const OpeningSuffix = ".opening";

std::string HomeFolder() {
  if (const char* home = std::getenv("HOME"); home && *home)
    return home;
  if (const passwd* entry = getpwuid(geteuid()); entry && entry->pw_dir)
    return entry->pw_dir;
  return {};
}

std::string CacheFolder() {
  if (const char* cache = std::getenv("XDG_CACHE_HOME"); cache && *cache == '/')
    return cache;
  const std::string home = HomeFolder();
  if (home.empty())
    throw std::runtime_error("作業フォルダーを作成できません。(ホームフォルダーがありません)");
  return home + "/.cache";
}

[[noreturn]] void CannotMakeFolder(const std::string& what, const std::string& folder, const std::string& reason) {
  throw std::runtime_error(what + " " + folder + " を作成できません。(" + reason + ")");
}

[[noreturn]] void CannotUseWorkFolder(const std::string& folder, const std::string& problem) {
  throw std::runtime_error("作業フォルダー " + folder + " " + problem);
}

// Why this folder, found with lstat, cannot hold working copies, or "".
std::string WorkFolderProblem(const struct stat& status) {
  if (S_ISLNK(status.st_mode))
    return "がシンボリックリンクです。";
  if (S_ISREG(status.st_mode))
    return "がファイルです。";
  if (!S_ISDIR(status.st_mode))
    return "がフォルダーではありません。";
  // Working copies hold the user's whole blog: the folder must be theirs alone.
  if (status.st_uid != geteuid())
    return "は別のユーザーのものです。";
  return "";
}

// Escapes what would break the one-value-per-line side file.
std::string Escape(const std::string& text) {
  std::string out;
  for (const char c : text) {
    if (c == '\\')
      out += "\\\\";
    else if (c == '\n')
      out += "\\n";
    else
      out += c;
  }
  return out;
}

std::string Unescape(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\\' && i + 1 < text.size()) {
      out += text[i + 1] == 'n' ? '\n' : text[i + 1];
      ++i;
    } else {
      out += text[i];
    }
  }
  return out;
}

std::string ReadAll(int fd) {
  std::string text;
  char buffer[4096];
  off_t offset = 0;
  for (ssize_t n; (n = pread(fd, buffer, sizeof buffer, offset)) > 0; offset += n)
    text.append(buffer, static_cast<size_t>(n));
  return text;
}

TWorkCopyInfo ParseSide(const std::string& text) {
  TWorkCopyInfo info;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos)
      end = text.size();
    const std::string line = text.substr(start, end - start);
    start = end + 1;
    const auto equals = line.find('=');
    if (equals == std::string::npos)
      continue;
    const std::string key = line.substr(0, equals);
    const std::string value = line.substr(equals + 1);
    const auto number = [&] { return std::strtoll(value.c_str(), nullptr, 10); };
    if (key == "project")
      info.ProjectFile = Unescape(value);
    else if (key == "pid")
      info.Pid = static_cast<long>(number());
    else if (key == "device")
      info.ProjectIdentity.Device = std::strtoull(value.c_str(), nullptr, 10);
    else if (key == "inode")
      info.ProjectIdentity.Inode = std::strtoull(value.c_str(), nullptr, 10);
    else if (key == "size")
      info.ProjectIdentity.Size = number();
    else if (key == "modified")
      info.ProjectIdentity.ModifiedNs = number();
  }
  return info;
}

std::string SideText(const std::string& projectFile, const TFileIdentity& identity) {
  return "pid=" + std::to_string(getpid()) + "\nproject=" + Escape(projectFile) +
         "\ndevice=" + std::to_string(identity.Device) + "\ninode=" + std::to_string(identity.Inode) +
         "\nsize=" + std::to_string(identity.Size) + "\nmodified=" + std::to_string(identity.ModifiedNs) + "\n";
}

bool EndsWith(const std::string& text, const std::string& suffix) {
  return text.size() >= suffix.size() && text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

// The side file locked by us; not held when its run still holds it.
TFileLock LockSide(const std::string& sidePath) {
  const int fd = open(sidePath.c_str(), O_RDWR | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
  if (fd < 0)
    return {};
  try {
    return TFileLock::Take(fd);
  } catch (const std::exception&) {
    return {};
  }
}

void RemoveFiles(const std::string& workFile) {
  RemoveDatabase(OpeningCopyOf(workFile));
  RemoveDatabase(workFile);
  std::remove((workFile + SideSuffix).c_str());
}

}

std::string GetWorkFolder() {
  const std::string parent = CacheFolder() + "/Tocwerk";
  const std::string folder = parent + "/work";
  std::error_code error;
  fs::create_directories(parent, error);
  if (error)
    CannotMakeFolder("キャッシュフォルダー", parent, error.message());
  if (mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST)
    CannotMakeFolder("作業フォルダー", folder, std::strerror(errno));
  struct stat status {};
  if (lstat(folder.c_str(), &status) != 0)
    CannotMakeFolder("作業フォルダー", folder, std::strerror(errno));
  if (const std::string problem = WorkFolderProblem(status); !problem.empty())
    CannotUseWorkFolder(folder, problem);
  if ((status.st_mode & 077) != 0 && chmod(folder.c_str(), 0700) != 0)
    CannotMakeFolder("作業フォルダー", folder, std::strerror(errno));
  return folder + "/";
}

std::string OpeningCopyOf(const std::string& workFile) {
  return workFile + OpeningSuffix;
}

TWorkCopy::TWorkCopy() {
  std::string pattern = GetWorkFolder() + std::to_string(getpid()) + "-XXXXXX" + SideSuffix;
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  const int side = mkostemps(name.data(), static_cast<int>(std::strlen(SideSuffix)), O_CLOEXEC);
  if (side < 0)
    throw std::runtime_error("一時ファイルの作成に失敗しました。");
  SidePath = name.data();
  Path = SidePath.substr(0, SidePath.size() - std::strlen(SideSuffix));
  try {
    Side = TFileLock::Take(side);
  } catch (...) {
    std::remove(SidePath.c_str());
    throw;
  }
  const int work = Side.Held() ? open(Path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600) : -1;
  if (work < 0) {
    Side.Release();
    std::remove(SidePath.c_str());
    throw std::runtime_error("一時ファイルの作成に失敗しました。");
  }
  close(work);
  SetProject("", {});
}

TWorkCopy::~TWorkCopy() {
  RemoveFiles(Path);
}

void TWorkCopy::SetProject(const std::string& projectFile, const TFileIdentity& identity) {
  const std::string text = SideText(projectFile, identity);
  // Only a hint for recovery: a failure to write it must not fail the command.
  if (ftruncate(Side.Get(), 0) != 0)
    return;
  [[maybe_unused]] const ssize_t written = pwrite(Side.Get(), text.data(), text.size(), 0);
}

std::vector<TWorkCopyInfo> ListOrphanedWorkCopies() {
  std::vector<TWorkCopyInfo> orphans;
  const std::string folder = GetWorkFolder();
  std::error_code error;
  for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
    const std::string sidePath = it->path().string();
    if (TidyIfLockFile(sidePath) || !EndsWith(sidePath, SideSuffix))
      continue;
    const TFileLock side = LockSide(sidePath);
    if (!side.Held())
      continue;
    TWorkCopyInfo info = ParseSide(ReadAll(side.Get()));
    info.WorkFile = sidePath.substr(0, sidePath.size() - std::strlen(SideSuffix));
    struct stat work {};
    if (stat(info.WorkFile.c_str(), &work) == 0 && S_ISREG(work.st_mode) && work.st_size > 0) {
      RemoveDatabase(OpeningCopyOf(info.WorkFile));
      info.Modified = work.st_mtime;
      // Recent changes may still be only in the write-ahead log.
      struct stat log {};
      if (stat((info.WorkFile + "-wal").c_str(), &log) == 0)
        info.Modified = std::max(info.Modified, log.st_mtime);
      orphans.push_back(std::move(info));
    } else {
      RemoveFiles(info.WorkFile);
    }
  }
  std::sort(orphans.begin(), orphans.end(),
            [](const TWorkCopyInfo& a, const TWorkCopyInfo& b) { return a.Modified < b.Modified; });
  return orphans;
}

void DiscardWorkCopy(const TWorkCopyInfo& orphan) {
  TWorkCopyClaim claim(orphan);
  claim.Remove();
}

TWorkCopyClaim::TWorkCopyClaim(const TWorkCopyInfo& orphan)
    : Orphan(orphan), Side(LockSide(orphan.WorkFile + SideSuffix)) {
  if (!Side.Held())
    throw std::runtime_error(orphan.WorkFile + " は別の Tocwerk が使用中です。");
}

TWorkCopyClaim::~TWorkCopyClaim() = default;

void TWorkCopyClaim::Remove() {
  RemoveFiles(Orphan.WorkFile);
}
