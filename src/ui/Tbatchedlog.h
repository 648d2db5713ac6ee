#pragma once

#include <QObject>
#include <QStringList>
#include <QTimer>

class QPlainTextEdit;

// Appends log lines to a text view in batches: one append per line would spend
// the window's time on layout when a long crawl logs fast.
class TBatchedLog : public QObject {
public:
  explicit TBatchedLog(QPlainTextEdit* view);

  void Append(const QString& line);
  // Shows every line held back.
  void Flush();

private:
  QPlainTextEdit* View;
  QStringList Pending;
  QTimer Timer;
};
