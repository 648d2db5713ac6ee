#pragma once

#include <QObject>
#include <QProcess>
#include <QString>

#include <string>

class TGenerationRun;

// Runs the template program of an exported generation run as a child process and
// reports how it ended through signals, without blocking the event loop. Once the
// program has ended, or could not start, its generation database is removed.
class TTemplateProgramWatcher : public QObject {
  Q_OBJECT

public:
  explicit TTemplateProgramWatcher(QObject* parent = nullptr);
  // Ends a program still running.
  ~TTemplateProgramWatcher() override;

  // Starts the program and returns; one of the signals follows. Starting while a
  // program runs throws std::logic_error.
  void Start(const TGenerationRun& run);
  bool IsRunning() const { return Process.state() != QProcess::NotRunning; }

signals:
  // The program ended by itself, with this exit status.
  void Finished(int exitStatus, const QString& standardError);
  // It could not start, or it crashed; the message says which and carries its
  // standard error.
  void Failed(const QString& message);

private:
  void ProcessFinished(int exitCode, QProcess::ExitStatus status);
  void ProcessError(QProcess::ProcessError error);
  void RemoveGenerationDb();

  QProcess Process;
  std::string Program;
  std::string GenerationDb;
};
