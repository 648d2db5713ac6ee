#include "app/Toutputnotice.h"

#include "ui/ShownText.h"
#include "ui/Tprompts.h"

#include <QDir>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QUrl>

using namespace Qt::StringLiterals;

TOutputNotice::TOutputNotice(QWidget* parent) : QWidget(parent) {
  setObjectName(u"OutputNotice"_s);
  Text = new QLabel(this);
  Text->setObjectName(u"LabelOutputNotice"_s);
  Text->setTextFormat(Qt::PlainText);
  // A long path is clipped rather than widening the window.
  Text->setMinimumWidth(1);
  OpenButton = new QPushButton(u"ブラウザで開く(&B)"_s, this);
  OpenButton->setObjectName(u"ButtonOpenOutput"_s);
  OpenButton->setStatusTip(u"作成した目次をブラウザで開きます。"_s);
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(Text);
  layout->addWidget(OpenButton);
  layout->addStretch();
  connect(OpenButton, &QPushButton::clicked, this, &TOutputNotice::OpenOutput);
  Clear();
}

void TOutputNotice::ShowRunning(const QString& outputFile) {
  OutputFile = outputFile;
  Text->setText(u"目次を作成しています: "_s + ShownText(QDir::toNativeSeparators(outputFile)));
  OpenButton->hide();
  show();
}

void TOutputNotice::ShowDone(const QString& outputFile) {
  OutputFile = outputFile;
  Text->setText(u"目次を作成しました: "_s + ShownText(QDir::toNativeSeparators(outputFile)));
  OpenButton->show();
  show();
}

void TOutputNotice::Clear() {
  OutputFile.clear();
  Text->clear();
  OpenButton->hide();
}

void TOutputNotice::OpenOutput() {
  if (!TPrompts::Get().OpenUrl(QUrl::fromLocalFile(OutputFile)))
    TPrompts::Get().Message(this, TPrompts::Icon::Warning,
                            u"ブラウザで開けませんでした: "_s + QDir::toNativeSeparators(OutputFile));
}
