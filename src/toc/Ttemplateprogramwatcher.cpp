#include "toc/Ttemplateprogramwatcher.h"

#include "toc/Tgenerationrun.h"

#include <filesystem>
#include <stdexcept>

TTemplateProgramWatcher::TTemplateProgramWatcher(QObject* parent) : QObject(parent) {
  connect(&Process, &QProcess::finished, this, &TTemplateProgramWatcher::ProcessFinished);
  connect(&Process, &QProcess::errorOccurred, this, &TTemplateProgramWatcher::ProcessError);
}

TTemplateProgramWatcher::~TTemplateProgramWatcher() {
  // No signal may reach a watcher that is being destroyed.
  Process.disconnect(this);
  if (IsRunning()) {
    Process.kill();
    Process.waitForFinished(-1);
    RemoveGenerationDb();
  }
}

void TTemplateProgramWatcher::Start(const TGenerationRun& run) {
  if (IsRunning())
    throw std::logic_error("the template program is already running");
  const TTemplateCommand command = run.Command();
  Program = command.Program;
  GenerationDb = run.GetGenerationDbPath();
  PrepareTemplateProcess(Process, command);
  Process.start();
}

void TTemplateProgramWatcher::ProcessFinished(int exitCode, QProcess::ExitStatus status) {
  RemoveGenerationDb();
  const std::string errors = Process.readAllStandardError().toStdString();
  if (status == QProcess::NormalExit)
    emit Finished(exitCode, QString::fromStdString(errors));
  else
    emit Failed(QString::fromStdString(CrashedMessage(Program, errors)));
}

void TTemplateProgramWatcher::ProcessError(QProcess::ProcessError error) {
  // A crash is told by ProcessFinished; other errors leave the program running.
  if (error != QProcess::FailedToStart)
    return;
  RemoveGenerationDb();
  emit Failed(QString::fromStdString(CannotStartMessage(Program, Process.errorString().toStdString())));
}

void TTemplateProgramWatcher::RemoveGenerationDb() {
  std::error_code error;
  std::filesystem::remove(GenerationDb, error);
}
