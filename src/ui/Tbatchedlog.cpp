#include "ui/Tbatchedlog.h"

#include <QPlainTextEdit>

TBatchedLog::TBatchedLog(QPlainTextEdit* view) : QObject(view), View(view) {
  Timer.setSingleShot(true);
  Timer.setInterval(50);
  connect(&Timer, &QTimer::timeout, this, &TBatchedLog::Flush);
}

void TBatchedLog::Append(const QString& line) {
  Pending << line;
  if (!Timer.isActive())
    Timer.start();
}

void TBatchedLog::Flush() {
  Timer.stop();
  if (Pending.isEmpty())
    return;
  View->appendPlainText(Pending.join(QLatin1Char('\n')));
  Pending.clear();
}
