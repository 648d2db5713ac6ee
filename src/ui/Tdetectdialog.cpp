#include "ui/Tdetectdialog.h"

#include "ui/ShownText.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QStyle>
#include <QThread>
#include <QVBoxLayout>

#include <exception>

using namespace Qt::StringLiterals;

TDetectDialog::TDetectDialog(QWidget* parent, std::string url, std::vector<TBlogConfig> blogTypes)
    : QDialog(parent), Url(std::move(url)), BlogTypes(std::move(blogTypes)) {
  setObjectName(u"TDetectDialog"_s);
  setWindowTitle(u"自動判定"_s);
  LabelStatus = new QLabel(u"ブログの種類を判定しています…\n"_s + ShownText(QString::fromStdString(Url)), this);
  LabelStatus->setTextFormat(Qt::PlainText);
  LabelStatus->setObjectName(u"LabelStatus"_s);
  auto* busy = new QProgressBar(this);
  busy->setRange(0, 0);
  auto* buttons = new QDialogButtonBox(this);
  ButtonCancel = buttons->addButton(u"キャンセル"_s, QDialogButtonBox::RejectRole);
  ButtonCancel->setObjectName(u"BtnCancel"_s);
  ButtonCancel->setIcon(style()->standardIcon(QStyle::SP_DialogCancelButton));
  connect(buttons, &QDialogButtonBox::rejected, this, &TDetectDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(LabelStatus);
  layout->addWidget(busy);
  layout->addWidget(buttons);
  setMinimumWidth(360);
}

// A box destroyed while it works (the program ending) must not leave the thread
// working on a detector that is gone.
TDetectDialog::~TDetectDialog() {
  if (!Worker)
    return;
  Detector.Cancel();
  Worker->wait();
}

void TDetectDialog::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (!Started)
    Start();
}

// Esc, キャンセル and the close box: the request or script in flight stops at its
// next check, then the box closes.
void TDetectDialog::reject() {
  if (!Worker) {
    QDialog::reject();
    return;
  }
  CancelRequested = true;
  Detector.Cancel();
  LabelStatus->setText(u"中止しています…"_s);
  ButtonCancel->setEnabled(false);
}

void TDetectDialog::Start() {
  Started = true;
  Worker.reset(QThread::create([this] { Run(); }));
  connect(Worker.get(), &QThread::finished, this, &TDetectDialog::Finished);
  Worker->start();
}

// On the worker thread. A failure of the category list alone still leaves the
// blog type that was found.
void TDetectDialog::Run() {
  try {
    Detector.Fetch(Url);
    Detection.Types = Detector.Detect(BlogTypes);
    Detection.Errors = Detector.GetErrors();
  } catch (const std::exception& e) {
    Failure = e.what();
    return;
  }
  if (Detection.Types.empty())
    return;
  try {
    Detection.Categories = Detector.Categories(Detection.Types.front().BlogType);
  } catch (const std::exception& e) {
    Detection.CategoryError = e.what();
  }
}

void TDetectDialog::Finished() {
  Worker->wait();
  Worker.reset();
  if (CancelRequested)
    QDialog::reject();
  else
    accept();
}
