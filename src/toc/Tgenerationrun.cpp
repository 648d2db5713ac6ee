#include "toc/Tgenerationrun.h"

#include "store/Tkfileutility.h"
#include "toc/Tgenerationdb.h"
#include "toc/Ttemplatemanager.h"

#include <QProcess>
#include <QString>
#include <QStringList>

#include <stdexcept>

namespace {

QString Q(const std::string& text) {
  return QString::fromStdString(text);
}

std::runtime_error CannotStart(const std::string& program, const QString& reason) {
  return std::runtime_error("テンプレートプログラムを起動できません。\n" + program + "\n(" +
                            reason.toStdString() + ")");
}

}

std::string TGenerationRun::Prepare(QProcess& process) {
  if (!Db || !Template)
    throw std::logic_error("TGenerationRun needs a database and a template");
  GenerationDb = ExportGenerationDb(*Db, DataFile, Settings);
  const std::string program = Template->GetExePath();
  process.setProgram(Q(program));
  process.setArguments({Q(GenerationDb), Q(OutputFile), Q(program)});
  process.setWorkingDirectory(Q(FolderOf(program)));
  process.setStandardInputFile(QProcess::nullDevice());
  return program;
}

void TGenerationRun::Run() {
  QProcess process;
  const std::string program = Prepare(process);
  if (!process.startDetached())
    throw CannotStart(program, process.errorString());
}

int TGenerationRun::RunAndWait(std::string& errorOutput) {
  QProcess process;
  const std::string program = Prepare(process);
  process.start();
  if (!process.waitForStarted(-1))
    throw CannotStart(program, process.errorString());
  process.waitForFinished(-1);
  errorOutput = process.readAllStandardError().toStdString();
  if (process.exitStatus() != QProcess::NormalExit)
    throw std::runtime_error("テンプレートプログラムが異常終了しました。\n" + program);
  return process.exitCode();
}
