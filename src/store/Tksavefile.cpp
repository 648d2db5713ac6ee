#include "store/Tksavefile.h"

#include "store/Tkfileutility.h"
#include "store/Tkfilelock.h"
#include "store/Tkmdbutility.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <random>
#include <stdexcept>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

constexpr int MaxLinkHops = 40;

const char* const TempInfix = ".tocwerk-";
// Room for the infix, the random part and a journal's suffix within NAME_MAX.
constexpr std::size_t MaxNameInTemp = 200;

const char* const FolderUnusable = "保存先のフォルダーが存在しないか、書き込みが許可されていません。";

[[noreturn]] void Refuse(const std::string& shown, const std::string& reason) {
  throw std::runtime_error(CannotSaveMessage(shown, reason));
}

std::string WithSystemError(const std::string& reason, int error) {
  return reason + "(" + std::strerror(error) + ")";
}

// Follows links to the file that would be written; nothing when it does not exist yet.
std::string FollowLinks(const TSaveTarget& target, bool& exists) {
  fs::path path = target.Path;
  for (int hops = 0;; ++hops) {
    struct stat status {};
    if (lstat(path.c_str(), &status) != 0) {
      if (errno != ENOENT && errno != ENOTDIR)
        Refuse(target.Shown, WithSystemError("保存先を調べられません。", errno));
      exists = false;
      return path.string();
    }
    if (!S_ISLNK(status.st_mode)) {
      if (!S_ISREG(status.st_mode))
        Refuse(target.Shown, "保存先が通常のファイルではありません。");
      exists = true;
      return path.string();
    }
    if (hops == MaxLinkHops)
      Refuse(target.Shown, "シンボリックリンクが多すぎます。");
    std::error_code error;
    const fs::path link = fs::read_symlink(path, error);
    if (error)
      Refuse(target.Shown, "シンボリックリンクを読めません。");
    path = link.is_absolute() ? link : path.parent_path() / link;
  }
}

mode_t CurrentUmask() {
  // umask() cannot be read without setting it, which races with other threads.
  mode_t mask = 022;
  if (FILE* status = std::fopen("/proc/self/status", "r")) {
    char line[256];
    while (std::fgets(line, sizeof line, status))
      if (std::sscanf(line, "Umask: %o", &mask) == 1)
        break;
    std::fclose(status);
  }
  return mask;
}

void TakeOverAttributes(const std::string& temp, const TSaveTarget& target) {
  struct stat existing {};
  if (target.Exists && stat(target.Path.c_str(), &existing) == 0) {
    if (geteuid() == 0 && chown(temp.c_str(), existing.st_uid, existing.st_gid) != 0)
      throw std::runtime_error(WithSystemError("所有者を引き継げません。", errno));
    if (chmod(temp.c_str(), existing.st_mode & 07777) != 0)
      throw std::runtime_error(WithSystemError("アクセス権を引き継げません。", errno));
    return;
  }
  if (chmod(temp.c_str(), 0666 & ~CurrentUmask()) != 0)
    throw std::runtime_error(WithSystemError("アクセス権を設定できません。", errno));
}

// "." and as much of the file's name as fits, cut between UTF-8 characters.
std::string TempPrefix(const std::string& path) {
  std::string name = fs::path(path).filename().string();
  if (name.size() > MaxNameInTemp) {
    std::size_t cut = MaxNameInTemp;
    while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80)
      --cut;
    name.resize(cut);
  }
  return "." + name + TempInfix;
}

// The database a journal's name belongs to; empty for a name of no journal.
std::string JournalOwner(const std::string& name) {
  for (const std::string suffix : JournalSuffixes)
    if (name.ends_with(suffix))
      return name.substr(0, name.size() - suffix.size());
  return {};
}

// A save that still runs holds its project lock on its temporary file.
bool IsAbandoned(const std::string& temp) {
  const int fd = open(temp.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY);
  if (fd < 0)
    return false;
  struct stat status {};
  if (fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
    close(fd);
    return false;
  }
  try {
    return TFileLock::Take(fd).Held();
  } catch (const std::exception&) {
    return false;
  }
}

// Puts temp at path unless something is there already.
bool RenameNoReplace(const std::string& temp, const std::string& path) {
  if (renameat2(AT_FDCWD, temp.c_str(), AT_FDCWD, path.c_str(), RENAME_NOREPLACE) == 0)
    return true;
  if (errno != EINVAL && errno != ENOSYS)
    return false;
  // File systems without it still refuse a link over an existing name.
  if (link(temp.c_str(), path.c_str()) != 0)
    return false;
  std::remove(temp.c_str());
  return true;
}

void Replace(const std::string& temp, const TSaveTarget& target) {
  if (target.Exists ? std::rename(temp.c_str(), target.Path.c_str()) == 0 : RenameNoReplace(temp, target.Path))
    return;
  if (errno == EEXIST)
    throw std::runtime_error("同じ名前のファイルが既に存在します。");
  throw std::runtime_error(WithSystemError("ファイルを置き換えられません。", errno));
}

}

std::string CannotSaveMessage(const std::string& shown, const std::string& reason) {
  return shown + " に保存できません。" + reason;
}

TSaveTarget ResolveSaveTarget(const std::string& path) {
  TSaveTarget target{path, path, false};
  if (path.empty())
    Refuse(path, "ファイル名がありません。");
  target.Path = FollowLinks(target, target.Exists);
  const std::string folder = FolderOf(target.Path);
  std::error_code error;
  if (!fs::is_directory(folder, error) || access(folder.c_str(), W_OK | X_OK) != 0)
    Refuse(path, FolderUnusable);
  // Root may write anything; a file nobody may write is still kept as it is.
  struct stat status {};
  if (target.Exists && (access(target.Path.c_str(), W_OK) != 0 ||
                        (stat(target.Path.c_str(), &status) == 0 && (status.st_mode & 0222) == 0)))
    Refuse(path, "ファイルへの書き込みが許可されていません。");
  return target;
}

std::string CreateSaveTemp(const TSaveTarget& target, TProjectLock* lock) {
  static const char Letters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
  std::random_device seed;
  std::mt19937 random(seed());
  std::uniform_int_distribution<std::size_t> pick(0, sizeof Letters - 2);
  const std::string prefix = FolderOf(target.Path) + TempPrefix(target.Path);
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string name = prefix;
    for (int i = 0; i < 8; ++i)
      name += Letters[pick(random)];
    const int fd = open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd >= 0 && !lock) {
      close(fd);
      return name;
    }
    if (fd >= 0) {
      try {
        *lock = TProjectLock::OfNewFile(fd, target.Shown);
      } catch (...) {
        std::remove(name.c_str());
        throw;
      }
      return name;
    }
    if (errno != EEXIST)
      Refuse(target.Shown, WithSystemError(FolderUnusable, errno));
  }
  Refuse(target.Shown, FolderUnusable);
}

void CommitSave(const std::string& temp, const TSaveTarget& target) {
  try {
    TakeOverAttributes(temp, target);
    FlushFile(temp);
    Replace(temp, target);
  } catch (const std::exception& e) {
    RemoveDatabase(temp);
    Refuse(target.Shown, e.what());
  }
  RemoveJournalsOf(temp);
  FlushFolderOf(target.Path);
}

void RemoveStaleSaveTemps(const std::string& target) {
  const std::string folder = FolderOf(target);
  const std::string prefix = TempPrefix(target);
  std::error_code error;
  for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
    const std::string name = it->path().filename().string();
    if (!name.starts_with(prefix) || TidyIfLockFile(folder + name))
      continue;
    // A save removes its file before its journals; one that died between the two
    // leaves a journal alone.
    if (const std::string owner = JournalOwner(name); !owner.empty()) {
      if (!fs::exists(folder + owner, error))
        std::remove((folder + name).c_str());
    } else if (IsAbandoned(folder + name)) {
      RemoveDatabase(folder + name);
    }
  }
}
