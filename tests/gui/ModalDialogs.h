#pragma once

#include "CrawlDialogDriver.h"
#include "ui_Tformmain.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

#include <functional>
#include <utility>
#include <vector>

// Acts on the next modal dialog of kind T from inside its own event loop, once it
// is shown; a dialog that never comes is given up after a while.
template <typename T>
void WhenShown(std::function<void(T&)> action) {
  auto* timer = new QTimer;
  const QDeadlineTimer deadline(30000);
  timer->setInterval(5);
  QObject::connect(timer, &QTimer::timeout, [timer, deadline, action] {
    T* dialog = qobject_cast<T*>(QApplication::activeModalWidget());
    if (dialog && dialog->isVisible()) {
      timer->stop();
      timer->deleteLater();
      action(*dialog);
    } else if (deadline.hasExpired()) {
      timer->stop();
      timer->deleteLater();
    }
  });
  timer->start();
}

// The rows of the category list: name and URL.
inline std::vector<std::pair<QString, QString>> CategoryRows(Ui::TFormMain& form) {
  std::vector<std::pair<QString, QString>> rows;
  for (int row = 0; row < form.ListViewCategory->topLevelItemCount(); ++row) {
    const QTreeWidgetItem* item = form.ListViewCategory->topLevelItem(row);
    rows.emplace_back(item->text(0), item->text(1));
  }
  return rows;
}

// The log of a crawl dialog as it stood when the dialog closed.
struct CrawlSeen {
  QStringList Log;
  bool ClosedItself = false;
};

// Lets the next crawl dialog of kind Dialog run to its end, then presses Close.
template <typename Dialog>
void RunToTheEnd(CrawlSeen& seen) {
  WhenShown<Dialog>([&seen](Dialog& dialog) {
    const CrawlDialogDriver driver(dialog);
    EXPECT_TRUE(driver.WaitForEnd());
    seen.Log = driver.Log();
    driver.Close()->click();
  });
}

// Closes the next message box by Esc or by its close box, as a user declines; a
// box that stays open fails the test and is answered with its last button, so
// that the test goes on.
inline void DeclineNextBox(bool byEsc) {
  WhenShown<QMessageBox>([byEsc](QMessageBox& box) {
    QPointer<QMessageBox> shown(&box);
    if (byEsc)
      QTest::keyClick(&box, Qt::Key_Escape);
    else
      box.close();
    QTimer::singleShot(3000, [shown] {
      if (!shown || !shown->isVisible())
        return;
      ADD_FAILURE() << "the box stayed open: " << shown->text().toStdString();
      shown->buttons().last()->click();
    });
  });
}
