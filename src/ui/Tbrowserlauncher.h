#pragma once

#include <QObject>
#include <QString>

#include <memory>

class QSocketNotifier;
class QWidget;
class TChildProcess;

// Opens a file in the browser through xdg-open without blocking the window, and
// says so with the file's path when no browser could be started. An xdg-open
// still running when the launcher goes runs on by itself.
class TBrowserLauncher : public QObject {
  Q_OBJECT

public:
  // Messages go to the parent widget.
  explicit TBrowserLauncher(QWidget* parent);
  ~TBrowserLauncher() override;

  void Open(const QString& file);

private:
  void Ended();
  void Report(const QString& file);
  void LetGo();

  QWidget* Owner;
  std::unique_ptr<TChildProcess> Process;
  QSocketNotifier* Notifier = nullptr;
  QString File;
};
