// The crawl dialogs' log: lines posted faster than the window draws arrive whole
// and in order, a long log stays readable, and a long line wraps.
#include "ui/Tbatchedlog.h"
#include "ui/Tformdownloadcategory.h"
#include "ui/Tformdownloadentry.h"

#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>
#include <QTextLayout>

#include <gtest/gtest.h>

#include <memory>

namespace {

QString Line(int number) {
  return QStringLiteral("OK: http://127.0.0.1/entry/%1.html 記事 %1").arg(number);
}

TEST(DialogCrawlLogTest, AHundredThousandLinesArriveWholeAndInOrder) {
  QPlainTextEdit view;
  view.setLineWrapMode(QPlainTextEdit::NoWrap);
  auto* log = new TBatchedLog(&view);
  const int count = 100000;
  for (int i = 1; i <= count; ++i) {
    log->Append(Line(i));
    // The window gets its turn now and then, as it does while a crawl runs.
    if (i % 5000 == 0)
      QCoreApplication::processEvents();
  }
  EXPECT_TRUE(QTest::qWaitFor([&] { return view.blockCount() == count; }, 10000));
  const QTextDocument* document = view.document();
  EXPECT_EQ(document->findBlockByNumber(0).text(), Line(1));
  EXPECT_EQ(document->findBlockByNumber(49999).text(), Line(50000));
  EXPECT_EQ(document->lastBlock().text(), Line(count));

  // Flush shows at once what the timer still holds.
  log->Append(QStringLiteral("終了しました。"));
  log->Flush();
  EXPECT_EQ(document->lastBlock().text(), QStringLiteral("終了しました。"));
  EXPECT_EQ(view.blockCount(), count + 1);
}

// A page address of hundreds of characters is read without scrolling sideways.
TEST(DialogCrawlLogTest, ALongUrlWrapsInBothCrawlDialogs) {
  const QString url = QStringLiteral("http://127.0.0.1/entry/") + QString(500, QLatin1Char('a'));
  TFormDownloadEntry entries;
  TFormDownloadCategory categories;
  for (TCrawlDialog* dialog : std::initializer_list<TCrawlDialog*>{&entries, &categories}) {
    SCOPED_TRACE(dialog->metaObject()->className());
    auto* memo = dialog->findChild<QPlainTextEdit*>(QStringLiteral("Memo1"));
    // Shown on its own: showing the dialog would start its crawl.
    memo->setParent(nullptr);
    const std::unique_ptr<QPlainTextEdit> alone(memo);
    memo->resize(500, 300);
    memo->show();
    dialog->AddLog(QStringLiteral("Error: ") + url);
    ASSERT_TRUE(QTest::qWaitFor([&] { return memo->toPlainText().contains(url); }, 5000));
    QCoreApplication::processEvents();
    EXPECT_EQ(memo->horizontalScrollBar()->maximum(), 0);
    EXPECT_GT(memo->document()->firstBlock().layout()->lineCount(), 3) << "the line wraps within the word";
  }
}

}
