#include "toc/Tgenerationrun.h"

#include "store/Tkfileutility.h"
#include "toc/Tgenerationdb.h"
#include "toc/Tremovalwatcher.h"
#include "toc/Ttemplatemanager.h"

#include <filesystem>
#include <memory>
#include <stdexcept>

namespace fs = std::filesystem;

namespace {

// Absolute, without the "." steps a relative data folder leaves ("/work/./template").
// ".." steps stay: through a link they do not simply cancel.
std::string AbsolutePath(const std::string& path) {
  fs::path result;
  for (const fs::path& part : fs::absolute(path))
    if (part != ".")
      result /= part;
  return result.string();
}

// Removes the generation database when the waiting ends, however it ends.
class RemoveWhenDone {
public:
  explicit RemoveWhenDone(TGenerationRun& run) : Run(run) {}
  ~RemoveWhenDone() { Run.RemoveGenerationDb(); }
  RemoveWhenDone(const RemoveWhenDone&) = delete;
  RemoveWhenDone& operator=(const RemoveWhenDone&) = delete;

private:
  TGenerationRun& Run;
};

}

void TGenerationRun::Export() {
  if (!Db || !Template)
    throw std::logic_error("TGenerationRun needs a database and a template");
  // A failed export must not leave the path of an earlier one behind.
  GenerationDb.clear();
  GenerationDbLock.Release();
  TFileLock lock;
  GenerationDb = AbsolutePath(ExportGenerationDb(*Db, DataFile, Settings, &lock, Canceled));
  GenerationDbLock = std::move(lock);
}

TTemplateCommand TGenerationRun::Command() const {
  if (GenerationDb.empty() || !Template)
    throw std::logic_error("TGenerationRun starts a program only after its export");
  const std::string program = AbsolutePath(Template->GetExePath());
  return {program, {GenerationDb, AbsolutePath(OutputFile), program}, FolderOf(program)};
}

// Its standard error stays ours, as the program outlives us.
void TGenerationRun::StartDetached() {
  const TTemplateCommand command = Command();
  TChildProcess::Options options = TemplateProcessOptions(command, GenerationDbLock.Get());
  options.ReadErrors = false;
  try {
    ThrowIfCanceled(Canceled);
    TChildProcess process(options);
    RemoveDatabaseAfter(process.ExitFd(), GenerationDb);
    process.Release();
  } catch (const TCanceledError&) {
    RemoveGenerationDb();
    throw;
  } catch (const std::runtime_error& e) {
    RemoveGenerationDb();
    throw std::runtime_error(CannotStartMessage(command.Program, e.what()));
  }
}

int TGenerationRun::Wait(std::string& errorOutput) {
  const RemoveWhenDone removal(*this);
  const TTemplateCommand command = Command();
  TChildProcess::Options options = TemplateProcessOptions(command, GenerationDbLock.Get());
  // The command line's Ctrl+C ends it with the command, as before.
  options.OwnSession = false;
  ThrowIfCanceled(Canceled);
  std::unique_ptr<TChildProcess> process;
  try {
    process = std::make_unique<TChildProcess>(options);
  } catch (const std::runtime_error& e) {
    throw std::runtime_error(CannotStartMessage(command.Program, e.what()));
  }
  const TProgramEnd end = process->WaitForEnd(Canceled);
  ThrowIfCanceled(Canceled);
  errorOutput = process->ErrorTail().Text();
  if (end.Crashed)
    throw std::runtime_error(CrashedMessage(command.Program, errorOutput));
  return end.Status;
}

void TGenerationRun::RemoveGenerationDb() {
  if (!GenerationDb.empty()) {
    std::error_code error;
    fs::remove(GenerationDb, error);
  }
  GenerationDbLock.Release();
}

TChildProcess::Options TemplateProcessOptions(const TTemplateCommand& command, int lock) {
  return {command.Program, command.Arguments, command.Folder, true, lock, true};
}

std::string CannotStartMessage(const std::string& program, const std::string& reason) {
  return "テンプレートプログラムを起動できません。\n" + program + "\n(" + reason + ")";
}

std::string CrashedMessage(const std::string& program, const std::string& errorOutput) {
  return "テンプレートプログラムが異常終了しました。\n" + program +
         (errorOutput.empty() ? std::string() : "\n" + errorOutput);
}
