#pragma once

#include "store/Tkcancel.h"
#include "store/Tkfilelock.h"
#include "toc/Tchildprocess.h"

#include <string>
#include <vector>

class THtmlTemplate;
class TProjectDb;

// How the template program is started: its path, three arguments (the generation
// database, the output file, the program's own path) and its folder as the working
// folder. Every path is absolute, since the program runs in its own folder.
struct TTemplateCommand {
  std::string Program;
  std::vector<std::string> Arguments;
  std::string Folder;
};

// One make run in two steps: the export of the generation database, then the launch
// of the template's program, detached or waited for here (TTemplateProgramWatcher
// watches it from an event loop instead). The inputs are set as the make command
// gathers them; the database and the template stay the caller's.
class TGenerationRun {
public:
  void SetDataFile(const std::string& path) { DataFile = path; }
  void SetHtmlConfig(const std::vector<std::string>& lines) { Settings = lines; }
  void SetDb(TProjectDb* db) { Db = db; }
  void SetTemplate(const THtmlTemplate* htmlTemplate) { Template = htmlTemplate; }
  void SetOutputFile(const std::string& path) { OutputFile = path; }
  // Asked during the export and before the program starts; when it says stop, the
  // database is removed and TCanceledError thrown.
  void SetCancelCheck(const TCancelCheck& canceled) { Canceled = canceled; }

  // Writes a new generation database. It reads the project database and writes only
  // its own file, so it may run on a worker thread while nothing else uses the
  // project database.
  void Export();
  const std::string& GetGenerationDbPath() const { return GenerationDb; }
  // The descriptor that holds the database's lock; the program inherits it.
  int GetGenerationDbLock() const { return GenerationDbLock.Get(); }
  // The command for the exported database.
  TTemplateCommand Command() const;

  // Starts the program and returns at once; the generation database stays for it
  // and is removed when it ends. A program that cannot be started throws, and its
  // database is removed.
  void StartDetached();
  // Runs the program to its end and returns its exit status; the last part of what
  // it wrote to standard error goes to errorOutput. A program that cannot be started or that
  // crashes throws (the crash message carries its standard error). When the cancel
  // check says stop, the program is ended (SIGTERM, then SIGKILL after 2 s) and
  // TCanceledError thrown. The generation database is removed afterwards in every case.
  int Wait(std::string& errorOutput);

  void RemoveGenerationDb();

private:
  std::string DataFile;
  std::vector<std::string> Settings;
  TProjectDb* Db = nullptr;
  const THtmlTemplate* Template = nullptr;
  std::string OutputFile;
  TCancelCheck Canceled;
  std::string GenerationDb;
  TFileLock GenerationDbLock;
};

// The child process of the command, its standard error read, with the database's
// lock passed on.
TChildProcess::Options TemplateProcessOptions(const TTemplateCommand& command, int lock);

// "テンプレートプログラムを起動できません。" with the program and the reason.
std::string CannotStartMessage(const std::string& program, const std::string& reason);
// "テンプレートプログラムが異常終了しました。" with the program and its standard error.
std::string CrashedMessage(const std::string& program, const std::string& errorOutput);
