#pragma once

#include "toc/Tuniquefd.h"

#include <QObject>
#include <QString>

#include <memory>
#include <string>

class QSocketNotifier;
class QTimer;
class TChildProcess;
class TGenerationRun;

// Runs the template program of an exported generation run as a child process and
// reports how it ended through signals, without blocking the event loop. Its
// standard error is read as it arrives, and only its last part kept. The program
// reads the generation database while it runs; once it has ended, or could not
// start, the database is removed.
class TTemplateProgramWatcher : public QObject {
  Q_OBJECT

public:
  explicit TTemplateProgramWatcher(QObject* parent = nullptr);
  // Ends a program still running, with everything it started.
  ~TTemplateProgramWatcher() override;

  // Starts the program and returns; one of the signals follows. Starting while a
  // program runs throws std::logic_error.
  void Start(const TGenerationRun& run);
  bool IsRunning() const { return Process != nullptr; }
  // Ends the program and its process group: SIGTERM, then SIGKILL after a short
  // grace. Stopped follows.
  void Stop();
  // Lets the program run on by itself, after the watcher too; no signal follows,
  // and the database goes when the program ends.
  void Release();

signals:
  // The program ended by itself, with this exit status.
  void Finished(int exitStatus, const QString& standardError);
  // It could not start, or it crashed: the message says which.
  void Failed(const QString& message, const QString& standardError);
  // It ended after Stop.
  void Stopped();

private:
  void ProcessEnded();
  void ForgetProcess();
  void RemoveGenerationDb();

  std::unique_ptr<TChildProcess> Process;
  QSocketNotifier* ErrorNotifier = nullptr;
  QSocketNotifier* ExitNotifier = nullptr;
  QTimer* KillTimer = nullptr;
  bool Stopping = false;
  std::string Program;
  std::string GenerationDb;
  // Holds the database's lock while the program runs, as the program's copy does.
  TUniqueFd Lock;
};
