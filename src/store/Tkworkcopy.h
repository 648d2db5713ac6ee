#pragma once

#include "store/Tkprojectlock.h"

#include <ctime>
#include <string>
#include <vector>

// The per-user folder of working copies ($XDG_CACHE_HOME/Tocwerk/work/, else
// ~/.cache/Tocwerk/work/), made with mode 0700 when missing; ends in "/".
std::string GetWorkFolder();

// A working copy left by a run of the program that ended without cleaning up.
struct TWorkCopyInfo {
  std::string WorkFile;
  // The project file it belonged to; "" for a project never saved.
  std::string ProjectFile;
  // How the project file looked when that run loaded or last saved it.
  TFileIdentity ProjectIdentity;
  std::time_t Modified = 0;
  long Pid = 0;
};

// One working copy and its side file, which names the project it belongs to and
// stays locked while this object lives, so that other runs leave it alone. Both
// files are removed with the object.
class TWorkCopy {
public:
  TWorkCopy();
  ~TWorkCopy();
  TWorkCopy(const TWorkCopy&) = delete;
  TWorkCopy& operator=(const TWorkCopy&) = delete;

  const std::string& GetPath() const { return Path; }
  // Records the project the working copy now holds.
  void SetProject(const std::string& projectFile, const TFileIdentity& identity);

private:
  std::string Path;
  std::string SidePath;
  TFileLock Side;
};

// The working copies whose run is gone, oldest first. Leftovers that hold no work
// (a side file without its working copy, a half-made copy) are removed.
std::vector<TWorkCopyInfo> ListOrphanedWorkCopies();

// Deletes an orphaned working copy and its side file. Throws when another run
// has claimed it meanwhile.
void DiscardWorkCopy(const TWorkCopyInfo& orphan);

// Holds an orphan's side file locked while its working copy is taken over.
class TWorkCopyClaim {
public:
  // Throws when another run holds it.
  explicit TWorkCopyClaim(const TWorkCopyInfo& orphan);
  ~TWorkCopyClaim();
  TWorkCopyClaim(const TWorkCopyClaim&) = delete;
  TWorkCopyClaim& operator=(const TWorkCopyClaim&) = delete;

  // Removes the working copy and its side file.
  void Remove();

private:
  TWorkCopyInfo Orphan;
  TFileLock Side;
};

// The name of the copy being checked while a project opens, beside the working copy.
std::string OpeningCopyOf(const std::string& workFile);
