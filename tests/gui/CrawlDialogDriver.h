#pragma once

#include <QDialog>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QString>
#include <QStringList>
#include <QTest>

// Reads and presses a crawl dialog's controls by their names.
class CrawlDialogDriver {
public:
  explicit CrawlDialogDriver(QDialog& dialog) : Dialog(dialog) {}

  QStringList Log() const {
    const QString text = Dialog.findChild<QPlainTextEdit*>(QStringLiteral("Memo1"))->toPlainText();
    return text.isEmpty() ? QStringList() : text.split(QLatin1Char('\n'));
  }
  // The "OK: " lines of pages read.
  int OkLines() const { return static_cast<int>(Log().filter(QRegularExpression(QStringLiteral("^OK: "))).size()); }
  QPushButton* Cancel() const { return Dialog.findChild<QPushButton*>(QStringLiteral("BtnCancel")); }
  QPushButton* Close() const { return Dialog.findChild<QPushButton*>(QStringLiteral("BtnClose")); }

  // Enter where the keyboard's focus is, as the user presses it.
  void PressEnter() const {
    QWidget* focus = Dialog.focusWidget();
    QTest::keyClick(focus ? focus : &Dialog, Qt::Key_Return);
  }

  bool WaitForEnd() const {
    return QTest::qWaitFor([this] { return Close()->isEnabled(); }, 60000);
  }
  bool WaitUntilClosed() const {
    return QTest::qWaitFor([this] { return !Dialog.isVisible(); }, 60000);
  }
  bool WaitForOkLines(int count) const {
    return QTest::qWaitFor([this, count] { return OkLines() >= count; }, 60000);
  }

private:
  QDialog& Dialog;
};
