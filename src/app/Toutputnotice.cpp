#include "app/Toutputnotice.h"

#include "ui/ShownText.h"
#include "ui/Tbrowserlauncher.h"
#include "ui/Telidedlabel.h"

#include <QDir>
#include <QHBoxLayout>
#include <QPushButton>

using namespace Qt::StringLiterals;

// The buttons explain themselves in tooltips: a status tip would replace the
// notice, and the button with it, while the pointer is on the button.
TOutputNotice::TOutputNotice(QWidget* parent) : QWidget(parent) {
  setObjectName(u"OutputNotice"_s);
  // A long path is cut in its middle rather than widening the window.
  Text = new TElidedLabel(this);
  Text->setObjectName(u"LabelOutputNotice"_s);
  Text->setTextFormat(Qt::PlainText);
  StopButton = new QPushButton(u"中止"_s, this);
  StopButton->setObjectName(u"ButtonStopTemplate"_s);
  StopButton->setToolTip(u"テンプレートプログラムを終了させます。"_s);
  OpenButton = new QPushButton(u"ブラウザで開く(&B)"_s, this);
  OpenButton->setObjectName(u"ButtonOpenOutput"_s);
  OpenButton->setToolTip(u"作成した目次をブラウザで開きます。"_s);
  Browser = new TBrowserLauncher(this);
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(Text);
  layout->addWidget(StopButton);
  layout->addWidget(OpenButton);
  layout->addStretch();
  connect(StopButton, &QPushButton::clicked, this, [this] {
    StopButton->setEnabled(false);
    emit StopRequested();
  });
  connect(OpenButton, &QPushButton::clicked, this, [this] { Browser->Open(OutputFile); });
}

void TOutputNotice::ShowRunning(const QString& outputFile) {
  Show(u"目次を作成しています: "_s, outputFile);
  StopButton->show();
  OpenButton->hide();
  Done = false;
}

void TOutputNotice::ShowDone(const QString& outputFile) {
  Show(u"目次を作成しました: "_s, outputFile);
  StopButton->hide();
  OpenButton->show();
  Done = true;
}

void TOutputNotice::Show(const QString& text, const QString& outputFile) {
  OutputFile = outputFile;
  Text->SetFullText(text + ShownText(QDir::toNativeSeparators(outputFile)));
  show();
}
