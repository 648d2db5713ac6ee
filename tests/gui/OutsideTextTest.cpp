// Text from outside the program (blog titles, categories, comments, file names,
// messages) in every widget of the real main window that shows it: never read
// as HTML, cut before it is laid out, and without the controls that reorder it.
#include "MainWindowFixture.h"
#include "ModalDialogs.h"

#include "app/Toutputnotice.h"
#include "store/Tcategory.h"
#include "store/Tcategoryentry.h"
#include "store/Tcomment.h"
#include "store/Tentry.h"
#include "store/Tkcategorytext.h"
#include "ui/Tformcomment.h"
#include "ui/Tformdownloadentry.h"

#include <QElapsedTimer>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QRegularExpression>
#include <QStyledItemDelegate>
#include <QTextDocumentFragment>

#include <functional>

namespace {

using namespace Qt::StringLiterals;

enum Page { PageUrl, PageComment };

// What a widget was given to show and how it reads it.
struct Seen {
  QString Text;
  Qt::TextFormat Format = Qt::AutoText;
};

// What a reader sees: the text itself, or what its markup renders to.
QString Shown(const Seen& seen) {
  const bool rich = seen.Format == Qt::RichText || (seen.Format == Qt::AutoText && Qt::mightBeRichText(seen.Text));
  return rich ? QTextDocumentFragment::fromHtml(seen.Text).toPlainText() : seen.Text;
}

QStringList ShownLines(const Seen& seen) {
  return Shown(seen).split(QRegularExpression(u"[\n\u2028\u2029]"_s));
}

const QString BidiControls = u"\u202A\u202B\u202C\u202D\u202E\u2066\u2067\u2068\u2069"_s;

QString WithoutBidiControls(QString text) {
  text.removeIf([](QChar c) { return BidiControls.contains(c); });
  return text;
}

class OutsideTextTest : public MainWindowFixture {
protected:
  struct Place {
    const char* Where;
    std::function<Seen(int row, const QString& text)> Show;
    // What the place shows of a text, before the display drops or cuts anything.
    std::function<QString(const QString& text)> Shows = [](const QString& text) { return text; };
  };

  // A window on its comments page whose project holds one entry per text, in
  // order, with the text as its title, its one category's name and its comment
  // (comments, when given, instead).
  TFormMain& StartWithEntries(const QStringList& texts, const QStringList& comments = {}) {
    TFormMain& window = StartWindow();
    TProjectDb& db = window.GetDb();
    for (qsizetype index = 0; index < texts.size(); ++index) {
      const std::string text = texts[index].toStdString();
      const std::string url = "http://blog.example/" + std::to_string(index);
      InsertEntry(db, url, text, 45000, false);
      InsertCategory(db, static_cast<std::int32_t>(index + 1), text, "http://blog.example/c");
      InsertCategoryMemberships(db, static_cast<std::int32_t>(index + 1), {url});
      TEntry entry(static_cast<std::int32_t>(index + 1), url, text, 45000);
      entry.SetComment(comments.isEmpty() ? text : comments[index].toStdString());
      SaveComment(db, entry);
    }
    window.GetUi().PageControl1->setCurrentIndex(PageComment);
    return window;
  }

  static Seen GridSeen(TFormMain& window, int row, int column, int role) {
    const QAbstractItemModel* model = window.GetUi().GridComment->model();
    return {model->data(model->index(row, column), role).toString(),
            role == Qt::ToolTipRole ? Qt::AutoText : Qt::PlainText};
  }

  // The real message boxes, not the scripted ones, for one call.
  Seen RealBox(const std::function<void()>& prompt) {
    TPrompts::Install(nullptr);
    Seen seen;
    WhenShown<QMessageBox>([&seen](QMessageBox& box) {
      seen = {box.text(), box.textFormat()};
      box.done(0);
    });
    prompt();
    auto scripted = std::make_unique<ScriptedPrompts>();
    Prompts = scripted.get();
    TPrompts::Install(std::move(scripted));
    return seen;
  }

  // Every place that shows outside text, given the row whose entry holds it.
  std::vector<Place> Places(TFormMain& window) {
    Ui::TFormMain& form = window.GetUi();
    const auto grid = [&window](int column, int role) {
      return [&window, column, role](int row, const QString&) { return GridSeen(window, row, column, role); };
    };
    // A category cell quotes a name with blanks or quotes.
    const auto category = [](const QString& text) {
      return QString::fromStdString(CategoryCommaText({1}, {{1, TCategory(1, text.toStdString(), "")}}));
    };
    return {
        {"title cell", grid(2, Qt::DisplayRole)},
        {"category cell", grid(3, Qt::DisplayRole), category},
        {"comment cell", grid(4, Qt::DisplayRole)},
        {"title tooltip", grid(2, Qt::ToolTipRole)},
        {"category tooltip", grid(3, Qt::ToolTipRole), category},
        {"comment tooltip", grid(4, Qt::ToolTipRole)},
        {"comment dialog's title",
         [&window, &form](int row, const QString&) {
           Seen seen;
           form.GridComment->selectRow(row);
           WhenShown<TFormComment>([&seen](TFormComment& dialog) {
             const auto* label = dialog.findChild<QLabel*>(u"LabelTitle"_s);
             seen = {label->text(), label->textFormat()};
             dialog.reject();
           });
           Trigger(window, "ActionCommentEdit");
           return seen;
         }},
        {"category list",
         [&form](int, const QString& text) {
           QTreeWidget* list = form.ListViewCategory;
           list->clear();
           auto* item = new QTreeWidgetItem(list, {text, u"http://blog.example/c"_s});
           const QModelIndex index = list->indexFromItem(item);
           const auto* delegate = qobject_cast<QStyledItemDelegate*>(list->itemDelegateForIndex(index));
           return Seen{delegate->displayText(index.data(), QLocale()), Qt::PlainText};
         }},
        {"message box", [this](int, const QString& text) {
           return RealBox([&text] { TPrompts::Get().Message(nullptr, TPrompts::Icon::Error, text); });
         }},
        {"question box", [this](int, const QString& text) {
           return RealBox([&text] { TPrompts::Get().Choose(nullptr, TPrompts::Icon::Question, text, {u"OK"_s}); });
         }},
        {"status bar's output notice",
         [&window](int, const QString& text) {
           TOutputNotice notice(&window);
           notice.ShowDone(text);
           const auto* label = notice.findChild<QLabel*>(u"LabelOutputNotice"_s);
           return Seen{label->text().mid(label->text().indexOf(u": "_s) + 2), label->textFormat()};
         }},
        {"crawl dialog's address",
         [](int, const QString& text) {
           TFormDownloadEntry dialog;
           dialog.ShowUrl(text);
           const auto* label = dialog.findChild<QLabel*>(u"LabelUrl"_s);
           return Seen{label->text(), label->textFormat()};
         }},
    };
  }
};

TEST_F(OutsideTextTest, TextThatLooksLikeHtmlIsShownAsItIs) {
  const QStringList texts = {u"<img src=\"file:///dev/zero\">"_s, u"<b>x</b>"_s,
                             u"<a href=\"file:///etc/passwd\">リンク</a><table><tr><td>表</td></tr></table>"_s,
                             u"<font size=7 color=red>x.proj</font>"_s};
  TFormMain& window = StartWithEntries(texts);
  for (const Place& place : Places(window))
    for (int row = 0; row < texts.size(); ++row) {
      SCOPED_TRACE(std::string(place.Where) + " " + texts[row].toStdString());
      EXPECT_EQ(Shown(place.Show(row, texts[row])).toStdString(), place.Shows(texts[row]).toStdString());
    }
}

TEST_F(OutsideTextTest, HugeTextIsCutBeforeItIsLaidOut) {
  const QStringList texts = {QString(2'000'000, u'あ'), QString(3'000'000, u'x'),
                             u"語 "_s.repeated(1'000'000) + u"\n"_s.repeated(1000)};
  // The comment dialog edits the whole comment: a comment of megabytes on one
  // line takes its editor seconds to lay out.
  QStringList comments;
  for (const QString& text : texts)
    comments << text.left(200'000);
  TFormMain& window = StartWithEntries(texts, comments);
  QElapsedTimer clock;
  clock.start();
  window.GetUi().GridComment->grab();
  EXPECT_LT(clock.elapsed(), 5000) << "the page painted its huge rows";
  for (const Place& place : Places(window))
    for (int row = 0; row < texts.size(); ++row) {
      SCOPED_TRACE(std::string(place.Where) + " " + std::to_string(row));
      const Seen seen = place.Show(row, texts[row]);
      const QString shown = Shown(seen);
      EXPECT_LE(shown.size(), 4001);
      EXPECT_TRUE(shown.endsWith(u'…')) << "a cut text says so";
      if (seen.Format != Qt::AutoText)
        continue;
      // A tooltip fits the screen: short lines, not too many of them.
      const QStringList lines = ShownLines(seen);
      EXPECT_LE(lines.size(), 30);
      for (const QString& line : lines)
        EXPECT_LE(line.size(), 101);
    }
}

TEST_F(OutsideTextTest, BidirectionalControlsAreLeftOutOfWhatIsShownButStored) {
  const QStringList texts = {u"report\u202Etxt.jorp"_s, u"\u2067שלום\u2069 \u202Aa\u202Bb\u202Cc\u202Dd\u2066e\u2068f"_s};
  TFormMain& window = StartWithEntries(texts);
  for (const Place& place : Places(window))
    for (int row = 0; row < texts.size(); ++row) {
      SCOPED_TRACE(std::string(place.Where) + " " + std::to_string(row));
      EXPECT_EQ(Shown(place.Show(row, texts[row])).toStdString(),
                WithoutBidiControls(place.Shows(texts[row])).toStdString());
    }
  const std::vector<TEntry> entries = LoadEntries(window.GetDb());
  EXPECT_EQ(QString::fromStdString(entries[0].GetTitle()), texts[0]);
  EXPECT_EQ(QString::fromStdString(entries[1].GetComment()), texts[1]);

  // The window's caption names the project file.
  const QString file = QString::fromStdString(Files.File("")) + u"report\u202Etxt.proj"_s;
  Prompts->ExpectSaveFile(file);
  Trigger(window, "ActionFileSaveAs");
  EXPECT_TRUE(Prompts->AllAnswered());
  EXPECT_EQ(window.windowTitle(), u"Tocwerk - reporttxt.proj"_s);
}

}
