#pragma once

#include <QString>
#include <QWidget>

class QLabel;
class QPushButton;

// The status bar's word on the table of contents being made: that the template
// program runs, then that it wrote the file, with a button that opens the file in
// the browser.
class TOutputNotice : public QWidget {
  Q_OBJECT

public:
  explicit TOutputNotice(QWidget* parent = nullptr);

  void ShowRunning(const QString& outputFile);
  void ShowDone(const QString& outputFile);
  void Clear();

private:
  void OpenOutput();

  QLabel* Text = nullptr;
  QPushButton* OpenButton = nullptr;
  QString OutputFile;
};
