#include "toc/Tgenerationrun.h"

#include "store/Tkfileutility.h"
#include "toc/Tgenerationdb.h"
#include "toc/Ttemplatemanager.h"

#include <QProcess>
#include <QString>
#include <QStringList>

#include <filesystem>
#include <stdexcept>

namespace fs = std::filesystem;

namespace {

QString Q(const std::string& text) {
  return QString::fromStdString(text);
}

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
  GenerationDb = AbsolutePath(ExportGenerationDb(*Db, DataFile, Settings));
}

TTemplateCommand TGenerationRun::Command() const {
  if (GenerationDb.empty() || !Template)
    throw std::logic_error("TGenerationRun starts a program only after its export");
  const std::string program = AbsolutePath(Template->GetExePath());
  return {program, {GenerationDb, AbsolutePath(OutputFile), program}, FolderOf(program)};
}

void TGenerationRun::StartDetached() {
  const TTemplateCommand command = Command();
  QProcess process;
  PrepareTemplateProcess(process, command);
  if (!process.startDetached()) {
    RemoveGenerationDb();
    throw std::runtime_error(CannotStartMessage(command.Program, process.errorString().toStdString()));
  }
}

int TGenerationRun::Wait(std::string& errorOutput) {
  const RemoveWhenDone removal(*this);
  const TTemplateCommand command = Command();
  QProcess process;
  PrepareTemplateProcess(process, command);
  process.start();
  if (!process.waitForStarted(-1))
    throw std::runtime_error(CannotStartMessage(command.Program, process.errorString().toStdString()));
  process.waitForFinished(-1);
  errorOutput = process.readAllStandardError().toStdString();
  if (process.exitStatus() != QProcess::NormalExit)
    throw std::runtime_error(CrashedMessage(command.Program, errorOutput));
  return process.exitCode();
}

void TGenerationRun::RemoveGenerationDb() {
  if (GenerationDb.empty())
    return;
  std::error_code error;
  fs::remove(GenerationDb, error);
}

void PrepareTemplateProcess(QProcess& process, const TTemplateCommand& command) {
  QStringList arguments;
  for (const std::string& argument : command.Arguments)
    arguments << Q(argument);
  process.setProgram(Q(command.Program));
  process.setArguments(arguments);
  process.setWorkingDirectory(Q(command.Folder));
  process.setStandardInputFile(QProcess::nullDevice());
  process.setStandardOutputFile(QProcess::nullDevice());
}

std::string CannotStartMessage(const std::string& program, const std::string& reason) {
  return "テンプレートプログラムを起動できません。\n" + program + "\n(" + reason + ")";
}

std::string CrashedMessage(const std::string& program, const std::string& errorOutput) {
  return "テンプレートプログラムが異常終了しました。\n" + program +
         (errorOutput.empty() ? std::string() : "\n" + errorOutput);
}
