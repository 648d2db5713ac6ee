#pragma once

#include <QObject>
#include <QString>

#include <memory>
#include <string>

class QThread;
class TGenerationRun;

// Runs the export of a generation run on a worker thread, so that a window stays
// responsive, and tells on the thread that started it how the export ended.
class TGenerationExportJob : public QObject {
  Q_OBJECT

public:
  // The run, with its project database, must outlive the job and stay untouched
  // while the export runs.
  explicit TGenerationExportJob(TGenerationRun& run, QObject* parent = nullptr);
  // Waits for an export still running.
  ~TGenerationExportJob() override;

  // Returns at once; one of the signals follows. Starting while an export runs
  // throws std::logic_error.
  void Start();
  bool IsRunning() const { return Worker != nullptr; }

signals:
  // The run's generation database is complete.
  void Finished();
  void Failed(const QString& message);

private:
  void Report();

  TGenerationRun& Run;
  std::unique_ptr<QThread> Worker;
  bool Failure = false;
  std::string Message;
};
