#pragma once

#include <QString>
#include <QWidget>

class QPushButton;
class TBrowserLauncher;
class TElidedLabel;

// The status bar's word on one make run: that the template program runs, with a
// button that stops it, then that it wrote the file, with a button that opens the
// file in the browser.
class TOutputNotice : public QWidget {
  Q_OBJECT

public:
  explicit TOutputNotice(QWidget* parent = nullptr);

  void ShowRunning(const QString& outputFile);
  void ShowDone(const QString& outputFile);
  bool IsDone() const { return Done; }

signals:
  void StopRequested();

private:
  void Show(const QString& text, const QString& outputFile);

  TElidedLabel* Text = nullptr;
  QPushButton* StopButton = nullptr;
  QPushButton* OpenButton = nullptr;
  TBrowserLauncher* Browser = nullptr;
  QString OutputFile;
  bool Done = false;
};
