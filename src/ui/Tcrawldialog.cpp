#include "ui/Tcrawldialog.h"

#include "crawl/Tcrawljob.h"
#include "ui/Tbatchedlog.h"
#include "ui/Tdialogcrawllistener.h"
#include "ui/ShownText.h"
#include "ui/Tprompts.h"

#include <QCloseEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyle>
#include <QThread>

#include <exception>

TCrawlDialog::TCrawlDialog(QWidget* parent, std::unique_ptr<TCrawlJob> job)
    : QDialog(parent), CrawlJob(std::move(job)), Listener(std::make_unique<TDialogCrawlListener>(this)) {
  CrawlJob->SetListener(Listener.get());
}

// A dialog destroyed while its crawl runs (the program ending) must not leave the
// thread working on a job that is gone.
TCrawlDialog::~TCrawlDialog() {
  if (!Worker)
    return;
  CrawlJob->Cancel();
  Worker->wait();
}

void TCrawlDialog::Bind(const Controls& controls) {
  Form = controls;
  Log = new TBatchedLog(Form.Memo1);
  Form.BtnCancel->setIcon(style()->standardIcon(QStyle::SP_DialogCancelButton));
  Form.BtnClose->setIcon(style()->standardIcon(QStyle::SP_DialogCloseButton));
  Form.BtnClose->setEnabled(false);
  Form.LabelUrl->setTextFormat(Qt::PlainText);
  connect(Form.BtnCancel, &QPushButton::clicked, this, &TCrawlDialog::BtnCancelClick);
  connect(Form.BtnClose, &QPushButton::clicked, this, &QDialog::accept);
}

void TCrawlDialog::AddLog(const QString& line) {
  Log->Append(ShownText(line));
}

void TCrawlDialog::ShowUrl(const QString& url) {
  Form.LabelUrl->setText(ShownText(url));
}

void TCrawlDialog::ShowCategoryProgress(int, int, int) {}

void TCrawlDialog::ShowEntryProgress(int, int, int) {}

void TCrawlDialog::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (!Started)
    Start();
}

// The close box lets the crawl run to its end; the dialog closes then.
void TCrawlDialog::closeEvent(QCloseEvent* event) {
  if (!Running) {
    QDialog::closeEvent(event);
    return;
  }
  CloseWhenDone = true;
  event->ignore();
}

// Esc and Cancel: the crawl stops at its next check, then the dialog closes.
void TCrawlDialog::reject() {
  if (!Running) {
    QDialog::reject();
    return;
  }
  CrawlJob->Cancel();
  CloseWhenDone = true;
}

void TCrawlDialog::BtnCancelClick() {
  reject();
}

void TCrawlDialog::Start() {
  Started = true;
  Running = true;
  Worker.reset(QThread::create([this] {
    try {
      CrawlJob->Run();
    } catch (const std::exception& e) {
      Failure = e.what();
    }
  }));
  // Emitted on the worker thread after its last post: it arrives queued, behind
  // every log line.
  connect(Worker.get(), &QThread::finished, this, &TCrawlDialog::Finished);
  Worker->start();
}

void TCrawlDialog::Finished() {
  Worker->wait();
  Worker.reset();
  Running = false;
  Log->Flush();
  if (Failure.empty()) {
    Form.BtnCancel->setEnabled(false);
    Form.BtnClose->setEnabled(true);
    // Enter closes the dialog once its crawl has ended.
    Form.BtnClose->setDefault(true);
    Form.BtnClose->setFocus();
  } else {
    // The crawl failed before it logged anything of its own; Cancel closes the dialog.
    TPrompts::Get().Message(this, TPrompts::Icon::Error, QString::fromStdString(Failure));
  }
  if (CloseWhenDone)
    QDialog::reject();
}
