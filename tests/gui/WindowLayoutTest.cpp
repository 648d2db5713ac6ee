// How the real main window reads: the comments grid's columns, the size, place
// and widths it keeps for the next start, the screen it must fit, the boxes
// centred over it, and the controls that must not push or cut one another.
#include "MainWindowFixture.h"
#include "ModalDialogs.h"

#include "app/Tappstartup.h"
#include "app/Toutputnotice.h"
#include "store/Tentry.h"
#include "support/LoopbackPorts.h"
#include "ui/ShownText.h"
#include "ui/Telidedlabel.h"
#include "ui/Tformaboutbox.h"
#include "ui/Tformcategory.h"
#include "ui/Tformconfiggeneral.h"
#include "ui/Tformdownloadentry.h"
#include "ui/Tformhtmltemplatehelp.h"

#include <QApplication>
#include <QHeaderView>
#include <QMessageBox>
#include <QProcess>
#include <QScreen>
#include <QScrollBar>
#include <QStatusBar>

namespace {

using namespace Qt::StringLiterals;

enum Page { PageUrl, PageComment, PageHtml };
const std::string LongTitle = "とても長いタイトルの記事：ソフトウェアの設計と実装についての覚え書き その十二";

class WindowLayoutTest : public MainWindowFixture {
protected:
  static void AddEntries(TFormMain& window, const std::vector<std::pair<std::string, std::string>>& entries) {
    for (const auto& [url, title] : entries)
      InsertEntry(window.GetDb(), url, title, 45000, false);
  }

  static void ResizeAndSettle(TFormMain& window, QSize size) {
    window.resize(size);
    QTableView* grid = window.GetUi().GridComment;
    EXPECT_TRUE(QTest::qWaitFor([&] { return grid->viewport()->width() > size.width() - 200; }));
    QApplication::processEvents();
  }

  static QRect Available(const QWidget& window) { return window.screen()->availableGeometry(); }
};

TEST_F(WindowLayoutTest, TheCommentsGridShowsPathsAndGivesTheTitleWhatTheWindowGains) {
  TFormMain& window = StartWindow();
  AddEntries(window, {{"http://127.0.0.1:1234/2024/05/entry-1.html", LongTitle},
                      {"https://blog.example/?p=12#more", "短い"},
                      {"http://blog.example", "トップ"},
                      {"not a url", "壊れたURL"}});
  window.GetUi().PageControl1->setCurrentIndex(PageComment);
  QTableView* grid = window.GetUi().GridComment;
  const QAbstractItemModel* model = grid->model();

  struct Address {
    int Row;
    QString Shown;
    QString Tip;
  };
  const std::vector<Address> addresses = {
      {0, u"/2024/05/entry-1.html"_s, u"http://127.0.0.1:1234/2024/05/entry-1.html"_s},
      {1, u"/?p=12#more"_s, u"https://blog.example/?p=12#more"_s},
      {2, u"/"_s, u"http://blog.example"_s},
      {3, u"not a url"_s, u"not a url"_s},
  };
  for (const Address& address : addresses) {
    SCOPED_TRACE(address.Row);
    EXPECT_EQ(model->data(model->index(address.Row, 0)).toString(), address.Shown);
    EXPECT_TRUE(model->data(model->index(address.Row, 0), Qt::ToolTipRole).toString().contains(address.Tip));
  }

  const int longest = grid->fontMetrics().horizontalAdvance(QString::fromStdString(LongTitle));
  int lastTitle = 0;
  for (const int width : {691, 900, 1300, 1800, 2400}) {
    SCOPED_TRACE(width);
    ResizeAndSettle(window, {width, 593});
    const int title = grid->columnWidth(2);
    int sum = 0;
    for (int column = 0; column < 5; ++column)
      sum += grid->columnWidth(column);
    EXPECT_EQ(sum, grid->viewport()->width() - 4) << "the columns fill the grid";
    if (title < longest)
      EXPECT_GT(title, lastTitle) << "a title that is cut gains what the window gains";
    else
      EXPECT_LT(title, longest + 20) << "no wider than the longest title";
    lastTitle = title;
  }
  EXPECT_GE(lastTitle, longest) << "a wide window shows every title whole";
}

TEST_F(WindowLayoutTest, SizePlaceAndColumnWidthsAreKeptForTheNextStart) {
  {
    TFormMain& first = StartWindow();
    first.resize(720, 500);
    first.move(30, 40);
    first.GetUi().GridComment->setColumnWidth(0, 200);
    first.GetUi().GridComment->setColumnWidth(3, 90);
    ASSERT_TRUE(first.close());
  }
  TFormMain& second = StartWindow();
  EXPECT_EQ(second.size(), QSize(720, 500));
  EXPECT_EQ(second.pos(), QPoint(30, 40));
  EXPECT_EQ(second.GetUi().GridComment->columnWidth(0), 200);
  EXPECT_EQ(second.GetUi().GridComment->columnWidth(3), 90);

  // A place kept from a bigger screen opens on this one.
  const QRect screen = Available(second);
  second.setGeometry(screen.right() + 300, screen.bottom() + 200, screen.width() * 2, screen.height() * 2);
  ASSERT_TRUE(second.close());
  TFormMain& third = StartWindow();
  EXPECT_TRUE(screen.contains(third.frameGeometry())) << third.frameGeometry().x() << "," << third.frameGeometry().y();
}

// Run only by the next test, in a process of its own on a small screen.
TEST_F(WindowLayoutTest, DISABLED_OpensInsideASmallScreen) {
  PrepareApplication(*qobject_cast<QApplication*>(QCoreApplication::instance()));
  TFormMain& window = StartWindow();
  ASSERT_EQ(window.screen()->geometry().size(), QSize(800, 500)) << "1600×1000 at twice the scale";
  EXPECT_TRUE(Available(window).contains(window.frameGeometry()))
      << window.frameGeometry().width() << "x" << window.frameGeometry().height();
}

TEST_F(WindowLayoutTest, TheWindowFitsAScreenScaledTwice) {
  const std::string screens = Files.File("screens.json");
  WriteFile(screens, R"({"screens": [{"name": "small", "x": 0, "y": 0, "width": 1600, "height": 1000,
                                      "logicalDpi": 96, "dpr": 1}]})");
  QProcess child;
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert(u"QT_QPA_PLATFORM"_s, u"offscreen:configfile="_s + QString::fromStdString(screens));
  environment.insert(u"QT_SCALE_FACTOR"_s, u"2"_s);
  child.setProcessEnvironment(environment);
  child.setProcessChannelMode(QProcess::MergedChannels);
  child.start(QCoreApplication::applicationFilePath(),
              {u"--gtest_also_run_disabled_tests"_s, u"--gtest_filter=WindowLayoutTest.DISABLED_OpensInsideASmallScreen"_s});
  ASSERT_TRUE(child.waitForFinished(60000));
  const QString output = QString::fromUtf8(child.readAll());
  EXPECT_EQ(child.exitCode(), 0) << output.toStdString();
  EXPECT_TRUE(output.contains(u"[  PASSED  ] 1 test"_s)) << output.toStdString();
}

TEST_F(WindowLayoutTest, BoxesOpenCentredOverTheWindow) {
  TFormMain& window = StartWindow();
  window.move(40, 30);
  QApplication::processEvents();
  const QPoint centre = window.frameGeometry().center();
  const auto expectCentred = [centre](QWidget& dialog) {
    QApplication::processEvents();
    const QPoint offset = dialog.frameGeometry().center() - centre;
    EXPECT_LE(offset.manhattanLength(), 4) << dialog.metaObject()->className() << " off by " << offset.x() << ","
                                           << offset.y();
    dialog.close();
  };
  WhenShown<TFormConfigGeneral>(expectCentred);
  Trigger(window, "ActionConfigGeneral");
  WhenShown<TFormAboutBox>(expectCentred);
  Trigger(window, "ActionHelpVersion");
  WhenShown<TFormHtmlTemplateHelp>(expectCentred);
  Trigger(window, "ActionHtmlHelp");
  WhenShown<TFormCategory>(expectCentred);
  Trigger(window, "ActionInsertCategory");

  window.GetUi().EditEntryUrl->setText(u"http://127.0.0.1:%1/"_s.arg(ClosedPort()));
  WhenShown<TFormDownloadEntry>([&](TFormDownloadEntry& dialog) {
    const CrawlDialogDriver driver(dialog);
    EXPECT_TRUE(driver.WaitForEnd());
    expectCentred(dialog);
  });
  Trigger(window, "ActionDownloadEntry");

  UseRealPrompts();
  WhenShown<QMessageBox>(expectCentred);
  window.GetUi().ComboBoxBlogType->setCurrentIndex(-1);
  Trigger(window, "ActionDownloadCategory");
}

TEST_F(WindowLayoutTest, NothingScrollsOrPushesAtTheDefaultSize) {
  TFormMain& window = StartWindow();
  Ui::TFormMain& form = window.GetUi();
  EXPECT_EQ(window.size(), QSize(691, 593));
  form.PageControl1->setCurrentIndex(PageHtml);
  QApplication::processEvents();
  ASSERT_GT(form.EditHtmlConf->rowCount(), 0);
  EXPECT_FALSE(form.EditHtmlConf->horizontalScrollBar()->isVisible()) << "the settings need no horizontal scrolling";

  std::vector<std::pair<std::string, std::string>> entries;
  for (int number = 1; number <= 12; ++number)
    entries.emplace_back("http://blog.example/" + std::to_string(number), "記事 " + std::to_string(number));
  AddEntries(window, entries);
  form.PageControl1->setCurrentIndex(PageComment);
  QApplication::processEvents();
  const int filterWidth = form.EditCommentFilter->width();
  const auto* delay = window.findChild<QTimer*>(u"CommentFilterDelay"_s);
  for (const QString& query : {u"記事 12"_s, u"どこにもない"_s, QString()}) {
    SCOPED_TRACE(query.toStdString());
    form.EditCommentFilter->setText(query);
    EXPECT_TRUE(QTest::qWaitFor([delay] { return !delay->isActive(); }));
    QApplication::processEvents();
    EXPECT_EQ(form.EditCommentFilter->width(), filterWidth) << form.LabelCommentCount->text().toStdString();
  }
}

TEST_F(WindowLayoutTest, ALongNoticeIsCutInItsMiddleWithTheWholeInItsTooltip) {
  TFormMain& window = StartWindow();
  window.GetUi().PageControl1->setCurrentIndex(PageHtml);
  std::vector<TOutputNotice*> notices;
  for (const QString& name : {u"目次.html"_s, u"とても長い名前の目次-新しい並び順-カテゴリ別.html"_s}) {
    auto* notice = new TOutputNotice(window.statusBar());
    window.statusBar()->addPermanentWidget(notice, 1);
    notice->ShowRunning(u"/home/someone/Documents/ブログ/"_s + name);
    notices.push_back(notice);
  }
  notices.front()->ShowDone(u"/home/someone/Documents/ブログ/目次.html"_s);
  QApplication::processEvents();
  for (TOutputNotice* notice : notices) {
    const auto* label = notice->findChild<QLabel*>(u"LabelOutputNotice"_s);
    SCOPED_TRACE(label->text().toStdString());
    EXPECT_LE(label->fontMetrics().horizontalAdvance(label->text()), label->contentsRect().width())
        << "the text shown fits its label";
    EXPECT_LE(label->mapTo(&window, QPoint(label->width(), 0)).x(), window.width());
    EXPECT_TRUE(label->text().endsWith(u".html"_s)) << "the file's name stays";
  }
  const auto* cut = notices.back()->findChild<TElidedLabel*>(u"LabelOutputNotice"_s);
  ASSERT_NE(cut, nullptr);
  EXPECT_NE(cut->text(), cut->GetFullText());
  EXPECT_EQ(cut->toolTip(), ShownToolTip(cut->GetFullText()));
  EXPECT_TRUE(cut->GetFullText().startsWith(u"目次を作成しています: "_s));

  // Given the width it asks for, a label shows its text whole.
  TElidedLabel label;
  label.show();
  for (const QString& text : {u"自動判定: 汎用 (HTML5)（HTML5 (rel=bookmark)）"_s, u"自動判定: WordPress 6.1 (generator)"_s,
                              u"目次を作成しています: /home/someone/ブログ/目次.html"_s}) {
    label.SetFullText(text);
    label.resize(label.sizeHint());
    EXPECT_EQ(label.text(), text);
  }
}

}
