#include "toc/Ttemplateprogramwatcher.h"

#include "toc/Tchildprocess.h"
#include "toc/Tgenerationrun.h"
#include "toc/Tremovalwatcher.h"

#include <QMetaObject>
#include <QSocketNotifier>
#include <QTimer>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <stdexcept>

#include <fcntl.h>

namespace {

// How long a stopped program may take to end before it is killed.
constexpr std::chrono::seconds StopGrace(2);

QString Q(const std::string& text) {
  return QString::fromStdString(text);
}

}

TTemplateProgramWatcher::TTemplateProgramWatcher(QObject* parent) : QObject(parent) {
  KillTimer = new QTimer(this);
  KillTimer->setSingleShot(true);
  KillTimer->setInterval(StopGrace);
  connect(KillTimer, &QTimer::timeout, this, [this] {
    if (Process)
      Process->SignalGroup(SIGKILL);
  });
}

TTemplateProgramWatcher::~TTemplateProgramWatcher() {
  if (Process) {
    ForgetProcess();
    RemoveGenerationDb();
  }
}

void TTemplateProgramWatcher::Start(const TGenerationRun& run) {
  if (IsRunning())
    throw std::logic_error("the template program is already running");
  const TTemplateCommand command = run.Command();
  Program = command.Program;
  GenerationDb = run.GetGenerationDbPath();
  Lock = TUniqueFd(fcntl(run.GetGenerationDbLock(), F_DUPFD_CLOEXEC, 0));
  Stopping = false;
  try {
    Process = std::make_unique<TChildProcess>(TemplateProcessOptions(command, Lock.Get()));
  } catch (const std::runtime_error& e) {
    RemoveGenerationDb();
    const QString message = Q(CannotStartMessage(Program, e.what()));
    // As for any other end, the report comes from the event loop.
    QMetaObject::invokeMethod(this, [this, message] { emit Failed(message, QString()); }, Qt::QueuedConnection);
    return;
  }
  ErrorNotifier = new QSocketNotifier(Process->ErrorFd(), QSocketNotifier::Read, this);
  connect(ErrorNotifier, &QSocketNotifier::activated, this, [this] {
    Process->ReadErrors();
    // At the end of the stream the descriptor is gone: stop watching it.
    if (Process->ErrorFd() < 0)
      ErrorNotifier->setEnabled(false);
  });
  ExitNotifier = new QSocketNotifier(Process->ExitFd(), QSocketNotifier::Read, this);
  connect(ExitNotifier, &QSocketNotifier::activated, this, &TTemplateProgramWatcher::ProcessEnded);
}

void TTemplateProgramWatcher::Stop() {
  if (!Process || Stopping)
    return;
  Stopping = true;
  Process->SignalGroup(SIGTERM);
  KillTimer->start();
}

void TTemplateProgramWatcher::Release() {
  if (!Process)
    return;
  RemoveDatabaseAfter(Process->ExitFd(), GenerationDb);
  Process->Release();
  ForgetProcess();
  Lock.Reset();
}

void TTemplateProgramWatcher::ProcessEnded() {
  // What the stopped program started goes with it, before its group id is free.
  if (Stopping)
    Process->SignalGroup(SIGKILL);
  const std::optional<TProgramEnd> end = Process->TryEnd();
  if (!end)
    return;
  const QString errors = Q(Process->ErrorTail().Text());
  ForgetProcess();
  RemoveGenerationDb();
  if (Stopping)
    emit Stopped();
  else if (end->Crashed)
    emit Failed(Q(CrashedMessage(Program, "")), errors);
  else
    emit Finished(end->Status, errors);
}

void TTemplateProgramWatcher::ForgetProcess() {
  KillTimer->stop();
  // The notifiers may be the ones reporting right now.
  for (QSocketNotifier* notifier : {ErrorNotifier, ExitNotifier}) {
    notifier->setEnabled(false);
    notifier->deleteLater();
  }
  ErrorNotifier = ExitNotifier = nullptr;
  Process.reset();
}

void TTemplateProgramWatcher::RemoveGenerationDb() {
  std::error_code error;
  std::filesystem::remove(GenerationDb, error);
  Lock.Reset();
}
