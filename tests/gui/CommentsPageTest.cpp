// The comments page of the real main window: the rows of an empty project and of
// the sample blog read by the window's own downloads, a comment edited and
// stored, the reload on every return to the page, the filter, and the command
// that opens an entry's URL.
#include "MainWindowFixture.h"
#include "ModalDialogs.h"
#include "ServedSample.h"

#include "store/Tcomment.h"
#include "store/Tentry.h"
#include "ui/Tformcomment.h"
#include "ui/Tformdownloadcategory.h"
#include "ui/Tformdownloadentry.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <set>

namespace {

using namespace Qt::StringLiterals;

constexpr int SampleEntries = 40;
enum Page { PageUrl, PageComment, PageHtml };

class CommentsPageTest : public MainWindowFixture {
protected:
  // A window whose project holds the sample blog's entries and categories, both
  // read by the window's own downloads.
  TFormMain& StartCrawled(const ServedSample& sample) {
    TFormMain& window = StartWindow();
    Crawl(window, sample);
    return window;
  }

  // Reads the sample blog's entries and categories with the window's own downloads.
  void Crawl(TFormMain& window, const ServedSample& sample) {
    Ui::TFormMain& form = window.GetUi();
    form.ComboBoxBlogType->setCurrentIndex(
        form.ComboBoxBlogType->findText(QString::fromStdString(BundledBlogType().GetName())));
    form.EditEntryUrl->setText(QString::fromStdString(sample.Url("/")));
    form.CheckBoxDownloadNewEntryOnly->setChecked(false);
    CrawlSeen entries;
    RunToTheEnd<TFormDownloadEntry>(entries);
    Trigger(window, "ActionDownloadEntry");
    for (const TCategoryData& category : sample.Categories())
      new QTreeWidgetItem(form.ListViewCategory,
                          {QString::fromStdString(category.name), QString::fromStdString(category.url)});
    CrawlSeen categories;
    RunToTheEnd<TFormDownloadCategory>(categories);
    Trigger(window, "ActionDownloadCategory");
    EXPECT_EQ(LoadEntries(window.GetDb()).size(), std::size_t{SampleEntries});
    EXPECT_FALSE(categories.Log.isEmpty() || categories.Log.last() != u"終了しました。"_s);
  }

  static void ShowPage(TFormMain& window, Page page) { window.GetUi().PageControl1->setCurrentIndex(page); }

  static int RowCount(TFormMain& window) { return window.GetUi().GridComment->model()->rowCount(); }

  static QString Cell(TFormMain& window, int row, int column) {
    const QAbstractItemModel* model = window.GetUi().GridComment->model();
    return model->data(model->index(row, column)).toString();
  }

  static QStringList Row(TFormMain& window, int row) {
    QStringList cells;
    for (int column = 0; column < 5; ++column)
      cells << Cell(window, row, column);
    return cells;
  }

  static QString CountText(TFormMain& window) { return window.GetUi().LabelCommentCount->text(); }

  // Types the query as one edit and waits for the pause after typing to end.
  static void Filter(TFormMain& window, const QString& query) {
    window.GetUi().EditCommentFilter->setText(query);
    const auto* delay = window.findChild<QTimer*>(u"CommentFilterDelay"_s);
    ASSERT_NE(delay, nullptr);
    EXPECT_TRUE(QTest::qWaitFor([delay] { return !delay->isActive(); }, 10000));
  }

  // Runs a command that must open no dialog; one that opens anyway is closed and
  // reported.
  static void ExpectNoDialog(const std::function<void()>& command) {
    bool shown = false;
    QTimer::singleShot(0, [&shown] {
      if (QWidget* dialog = QApplication::activeModalWidget()) {
        shown = true;
        dialog->close();
      }
    });
    command();
    QApplication::processEvents();
    EXPECT_FALSE(shown);
  }

  // Edits the comment of the next TFormComment: checks what it shows, types the
  // new comment and presses OK (or Cancel).
  static void EditNextComment(const std::string& url, const QString& title, const QString& oldComment,
                              const QString& newComment, bool ok = true) {
    WhenShown<TFormComment>([=](TFormComment& dialog) {
      EXPECT_EQ(dialog.windowTitle(), u"コメントの編集"_s);
      EXPECT_TRUE(dialog.findChild<QLabel*>(u"LabelUrl"_s)->text().contains(QString::fromStdString(url)));
      EXPECT_EQ(dialog.findChild<QLabel*>(u"LabelTitle"_s)->text(), title);
      auto* memo = dialog.findChild<QPlainTextEdit*>(u"MemoComment"_s);
      EXPECT_EQ(memo->toPlainText(), oldComment);
      memo->setPlainText(newComment);
      dialog.findChild<QPushButton*>(ok ? u"BtnOk"_s : u"BtnCancel"_s)->click();
    });
  }
};

// What the sample blog's entry shows in each column; the URL without its site.
QStringList SampleRow(const ServedSample& sample, int number) {
  const TSampleDateTime date = TSampleBlog::EntryDateTime(number);
  char dateText[16];
  std::snprintf(dateText, sizeof dateText, "%04d/%02d/%02d", date.Year, date.Month, date.Day);
  QStringList categories;
  for (const int category : TSampleBlog::EntryCategories(number)) {
    const QString name = QString::fromStdString(TSampleBlog::CategoryName(category));
    categories << (name.contains(u' ') ? u"\""_s + name + u"\""_s : name);
  }
  return {QString::fromStdString(TSampleBlog::EntryPath(number)), QString::fromLatin1(dateText),
          QString::fromStdString(sample.Blog.EntryTitle(number)), categories.join(u','), QString()};
}

// The categories of a cell, whatever their order.
std::set<QString> CategorySet(const QString& cell) {
  const QStringList names = cell.split(u',', Qt::SkipEmptyParts);
  return {names.begin(), names.end()};
}

TEST_F(CommentsPageTest, AnEmptyProjectShowsOneEmptyRowWhereTheCommandsDoNothing) {
  TFormMain& window = StartWindow();
  Ui::TFormMain& form = window.GetUi();
  ShowPage(window, PageComment);

  const QAbstractItemModel* model = form.GridComment->model();
  QStringList titles;
  for (int column = 0; column < model->columnCount(); ++column)
    titles << model->headerData(column, Qt::Horizontal).toString();
  EXPECT_EQ(titles, (QStringList{u"URL"_s, u"日付"_s, u"タイトル"_s, u"カテゴリー"_s, u"コメント"_s}));
  const int widths[] = {120, 70, 150, 70};
  for (int column = 0; column < 4; ++column)
    EXPECT_EQ(form.GridComment->columnWidth(column),
              std::max(widths[column], form.GridComment->horizontalHeader()->sectionSizeHint(column)))
        << column;
  ASSERT_EQ(RowCount(window), 1);
  EXPECT_EQ(Row(window, 0), QStringList(5, QString()));
  EXPECT_EQ(CountText(window), u"0 件中 0 件"_s);

  form.GridComment->selectRow(0);
  form.GridComment->setCurrentIndex(model->index(0, 0));
  for (const char* action : {"ActionCommentEdit", "ActionCommentOpenUrl"}) {
    SCOPED_TRACE(action);
    ExpectNoDialog([&] { Trigger(window, action); });
  }
  ExpectNoDialog([&] { QTest::keyClick(form.GridComment, Qt::Key_Return); });
  EXPECT_FALSE(window.IsModified());
}

TEST_F(CommentsPageTest, ACrawledProjectShowsEveryEntryAndReloadsOnEveryReturn) {
  ServedSample sample(SampleEntries, 0);
  TFormMain& window = StartCrawled(sample);
  ShowPage(window, PageComment);

  ASSERT_EQ(RowCount(window), SampleEntries);
  EXPECT_EQ(CountText(window), u"40 件中 40 件"_s);
  // Newest first, as the entry crawl stored them.
  for (int row = 0; row < SampleEntries; ++row) {
    const int number = SampleEntries - row;
    SCOPED_TRACE(number);
    QStringList expected = SampleRow(sample, number);
    QStringList shown = Row(window, row);
    EXPECT_EQ(CategorySet(shown[3]), CategorySet(expected[3]));
    if (TSampleBlog::EntryCategories(number).size() < 2) {
      EXPECT_EQ(shown[3], expected[3]);
    }
    shown.removeAt(3);
    expected.removeAt(3);
    EXPECT_EQ(shown, expected);
  }
  EXPECT_EQ(Cell(window, SampleEntries - 3, 3), u"\"食べ物 & 飲み物\""_s) << "a name with a blank is quoted";

  // Leaving the page frees the rows; the next visit reads what was stored since.
  ShowPage(window, PageHtml);
  EXPECT_EQ(CountText(window), u"0 件中 0 件"_s);
  TEntry first = LoadEntries(window.GetDb()).front();
  first.SetComment("あとで読む");
  SaveComment(window.GetDb(), first);
  InsertEntry(window.GetDb(), "http://blog.example/day-zero", "日付なし", 0, false);
  ShowPage(window, PageUrl);
  ShowPage(window, PageComment);
  ASSERT_EQ(RowCount(window), SampleEntries + 1);
  EXPECT_EQ(Cell(window, 0, 4), u"あとで読む"_s);
  EXPECT_EQ(Row(window, SampleEntries),
            (QStringList{u"/day-zero"_s, u"1899/12/30"_s, u"日付なし"_s, QString(), QString()}));
  EXPECT_EQ(CountText(window), u"41 件中 41 件"_s);

  // A load that fails says why and leaves neither rows nor the busy cursor.
  window.GetDb().GetConnection().ExecuteDirect("DROP TABLE comments");
  ShowPage(window, PageUrl);
  Prompts->ExpectMessage(u"comments"_s);
  ShowPage(window, PageComment);
  EXPECT_TRUE(Prompts->AllAnswered());
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  EXPECT_EQ(CountText(window), u"0 件中 0 件"_s);
}

TEST_F(CommentsPageTest, DownloadsStartedWhileThePageShowsAreListedAtOnce) {
  ServedSample sample(SampleEntries, 0);
  TFormMain& window = StartWindow();
  ShowPage(window, PageComment);
  Crawl(window, sample);
  ASSERT_EQ(RowCount(window), SampleEntries);
  EXPECT_EQ(CountText(window), u"40 件中 40 件"_s);
  EXPECT_EQ(CategorySet(Cell(window, 0, 3)), CategorySet(SampleRow(sample, SampleEntries)[3]))
      << "the category download's memberships are shown too";
}

TEST_F(CommentsPageTest, EveryWayToEditStoresTheCommentAndRepaintsItsRow) {
  ServedSample sample(SampleEntries, 0);
  TFormMain& window = StartCrawled(sample);
  Ui::TFormMain& form = window.GetUi();
  ShowPage(window, PageComment);
  window.SetModified(false);
  QTableView* grid = form.GridComment;
  const auto* popup = window.findChild<QMenu*>(u"PopupMenuComment"_s);
  ASSERT_NE(popup, nullptr);
  EXPECT_EQ(popup->actions(), (QList<QAction*>{form.ActionCommentEdit, form.ActionCommentOpenUrl}));

  const auto rowCenter = [grid](int row) { return grid->visualRect(grid->model()->index(row, 2)).center(); };
  struct Case {
    const char* How;
    int Row;
    std::function<void()> Edit;
    QString Comment;
    bool Ok;
  };
  const std::vector<Case> cases = {
      {"the page's button", 0, [&] { form.ButtonCommentEdit->click(); }, u"一行目\n二行目 & 三行目"_s, true},
      {"the pop-up menu's command", 1, [&] { form.ActionCommentEdit->trigger(); }, u"メニューから"_s, true},
      {"a double click", 2,
       [&] {
         // A double click arrives as a click followed by the double click.
         QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, rowCenter(2));
         QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, rowCenter(2));
       },
       u"ダブルクリック"_s, true},
      {"Enter", 3, [&] { QTest::keyClick(grid, Qt::Key_Return); }, u"Enterキー"_s, true},
      {"an edit emptied again", 0, [&] { form.ButtonCommentEdit->click(); }, QString(), true},
      {"Cancel", 1, [&] { form.ButtonCommentEdit->click(); }, u"捨てる"_s, false},
  };
  std::vector<QString> stored(4);
  for (const Case& edit : cases) {
    SCOPED_TRACE(edit.How);
    const int number = SampleEntries - edit.Row;
    grid->selectRow(edit.Row);
    EditNextComment(sample.Url(TSampleBlog::EntryPath(number)),
                    QString::fromStdString(sample.Blog.EntryTitle(number)), stored[edit.Row], edit.Comment, edit.Ok);
    edit.Edit();
    if (edit.Ok)
      stored[edit.Row] = edit.Comment;
    EXPECT_EQ(Cell(window, edit.Row, 4), stored[edit.Row]);
    EXPECT_EQ(QString::fromStdString(LoadEntries(window.GetDb())[edit.Row].GetComment()), stored[edit.Row]);
  }
  EXPECT_TRUE(window.IsModified());

  // No row selected: nothing to edit.
  grid->clearSelection();
  ExpectNoDialog([&] { Trigger(window, "ActionCommentEdit"); });
  ExpectNoDialog([&] { Trigger(window, "ActionCommentOpenUrl"); });

  // The dialog's link opens the entry in the browser.
  const std::string url = sample.Url(TSampleBlog::EntryPath(SampleEntries));
  grid->selectRow(0);
  WhenShown<TFormComment>([&](TFormComment& dialog) {
    Prompts->ExpectOpenUrl(QString::fromStdString(url));
    emit dialog.findChild<QLabel*>(u"LabelUrl"_s)->linkActivated(QString::fromStdString(url));
    EXPECT_TRUE(Prompts->AllAnswered());
    dialog.reject();
  });
  Trigger(window, "ActionCommentEdit");
}

TEST_F(CommentsPageTest, TheFilterIgnoresCaseAndWidthAndTheCommandsFollowTheRowShown) {
  ServedSample sample(SampleEntries, 0);
  TFormMain& window = StartCrawled(sample);
  const std::vector<TEntry> entries = LoadEntries(window.GetDb());
  const std::vector<std::pair<int, std::string>> comments = {
      {0, "ＲＥＡＤ Ｌａｔｅｒ"}, {1, "read later"}, {2, "ﾃｽﾄ用のメモ"}};
  for (const auto& [row, comment] : comments) {
    TEntry entry = entries[row];
    entry.SetComment(comment);
    SaveComment(window.GetDb(), entry);
  }
  ShowPage(window, PageComment);

  int inTravel = 0;
  for (int number = 1; number <= SampleEntries; ++number)
    for (const int category : TSampleBlog::EntryCategories(number))
      inTravel += TSampleBlog::CategoryName(category) == "旅行";
  struct Case {
    QString Query;
    int Shown;
  };
  const std::vector<Case> cases = {
      {QString(), SampleEntries},
      {u"r&d"_s, 5},             // titles 1, 9, 17, 25, 33
      {u"Ｒ＆Ｄ"_s, 5},
      {u"SCRIPT"_s, 5},          // "<script> タグと あいう"
      {u"寿司"_s, 5},
      {u"旅行"_s, inTravel},     // a category
      {u"/entry/12.html"_s, 1},  // a URL
      {u"／ＥＮＴＲＹ／１２．ｈｔｍｌ"_s, 1},
      {u"read"_s, 2},            // comments, full- and half-width
      {u"READ LATER"_s, 2},
      {u"ｒｅａｄ　later"_s, 2},
      {u"テスト"_s, 1},
      {u"ﾃｽﾄ"_s, 1},
      {u"read 寿司"_s, 0},       // every word must be found
      {u"どこにもない"_s, 0},
      {u"  "_s, SampleEntries},
  };
  for (const Case& filter : cases) {
    SCOPED_TRACE(filter.Query.toStdString());
    Filter(window, filter.Query);
    EXPECT_EQ(RowCount(window), filter.Shown);
    EXPECT_EQ(CountText(window), u"%1 件中 %2 件"_s.arg(SampleEntries).arg(filter.Shown));
  }

  // The commands act on the entry of the row selected, filtered or not.
  Filter(window, u"/entry/12.html"_s);
  QTableView* grid = window.GetUi().GridComment;
  grid->selectRow(0);
  const std::string twelve = sample.Url(TSampleBlog::EntryPath(12));
  Prompts->ExpectOpenUrl(QString::fromStdString(twelve));
  Trigger(window, "ActionCommentOpenUrl");
  EditNextComment(twelve, QString::fromStdString(sample.Blog.EntryTitle(12)), QString(), u"十二番目"_s);
  Trigger(window, "ActionCommentEdit");
  EXPECT_EQ(QString::fromStdString(LoadEntries(window.GetDb())[SampleEntries - 12].GetComment()), u"十二番目"_s);
  EXPECT_EQ(Cell(window, 0, 4), u"十二番目"_s);

  // The filter stays while the page is away and applies to the rows read again.
  ShowPage(window, PageUrl);
  ShowPage(window, PageComment);
  EXPECT_EQ(RowCount(window), 1);
  Filter(window, u"十二番目"_s);
  EXPECT_EQ(Row(window, 0)[0], QString::fromStdString(TSampleBlog::EntryPath(12)));
  Filter(window, QString());
  EXPECT_EQ(RowCount(window), SampleEntries);
}

}
