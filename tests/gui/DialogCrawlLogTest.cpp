// The crawl dialogs' log: lines posted faster than the window draws arrive whole
// and in order, and a long log stays readable.
#include "ui/Tbatchedlog.h"

#include <QPlainTextEdit>
#include <QTest>
#include <QTextBlock>

#include <gtest/gtest.h>

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

}
