#include "ui/Tdialogcrawllistener.h"

#include "ui/Tcrawldialog.h"

#include <QMetaObject>
#include <QString>

void TDialogCrawlListener::Log(const std::string& line) {
  QMetaObject::invokeMethod(
      Dialog, [dialog = Dialog, text = QString::fromStdString(line)] { dialog->AddLog(text); },
      Qt::QueuedConnection);
}

void TDialogCrawlListener::ShowUrl(const std::string& url) {
  QMetaObject::invokeMethod(
      Dialog, [dialog = Dialog, text = QString::fromStdString(url)] { dialog->ShowUrl(text); },
      Qt::QueuedConnection);
}

void TDialogCrawlListener::SetCategoryProgress(int minimum, int maximum, int position) {
  QMetaObject::invokeMethod(
      Dialog, [=, dialog = Dialog] { dialog->ShowCategoryProgress(minimum, maximum, position); },
      Qt::QueuedConnection);
}

void TDialogCrawlListener::SetEntryProgress(int minimum, int maximum, int position) {
  QMetaObject::invokeMethod(
      Dialog, [=, dialog = Dialog] { dialog->ShowEntryProgress(minimum, maximum, position); },
      Qt::QueuedConnection);
}
