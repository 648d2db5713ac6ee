#include "ui/Tbrowserlauncher.h"

#include "toc/Tchildprocess.h"
#include "ui/Tprompts.h"

#include <QDir>
#include <QSocketNotifier>
#include <QWidget>

#include <stdexcept>

using namespace Qt::StringLiterals;

TBrowserLauncher::TBrowserLauncher(QWidget* parent) : QObject(parent), Owner(parent) {}

TBrowserLauncher::~TBrowserLauncher() {
  LetGo();
}

// A second click while xdg-open still runs starts another one; the first runs on.
void TBrowserLauncher::Open(const QString& file) {
  LetGo();
  File = file;
  try {
    Process = std::make_unique<TChildProcess>(TChildProcess::Options{"xdg-open", {file.toStdString()}, {}, false, -1, true});
  } catch (const std::runtime_error&) {
    Report(file);
    return;
  }
  Notifier = new QSocketNotifier(Process->ExitFd(), QSocketNotifier::Read, this);
  connect(Notifier, &QSocketNotifier::activated, this, &TBrowserLauncher::Ended);
}

void TBrowserLauncher::Ended() {
  const std::optional<TProgramEnd> end = Process->TryEnd();
  if (!end)
    return;
  Notifier->deleteLater();
  Notifier = nullptr;
  Process.reset();
  if (end->Crashed || end->Status != 0)
    Report(File);
}

void TBrowserLauncher::LetGo() {
  delete Notifier;
  Notifier = nullptr;
  if (Process)
    Process->Release();
  Process.reset();
}

void TBrowserLauncher::Report(const QString& file) {
  TPrompts::Get().Message(Owner, TPrompts::Icon::Warning,
                          u"ブラウザを起動できませんでした。\n"_s + QDir::toNativeSeparators(file));
}
