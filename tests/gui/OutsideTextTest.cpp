// Text from outside the program in every widget of the real main window that
// shows it: never read as HTML, cut before it is laid out, without the controls
// that reorder it, and stored as it came.
#include "MainWindowFixture.h"
#include "ModalDialogs.h"

#include "app/Toutputnotice.h"
#include "store/Tcategory.h"
#include "store/Tcategoryentry.h"
#include "store/Tcomment.h"
#include "store/Tentry.h"
#include "store/Tkcategorytext.h"
#include "ui/Telidedlabel.h"
#include "ui/Tformcomment.h"
#include "ui/Tformdownloadentry.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QMessageBox>
#include <QScreen>
#include <QStyledItemDelegate>
#include <QTextDocumentFragment>

#include <algorithm>

namespace {

using namespace Qt::StringLiterals;

// What a widget was given and how it reads it.
struct Seen {
  QString Text;
  Qt::TextFormat Format = Qt::PlainText;
  int Width = 0;  // of a dialog or the least of the status bar's notice
};

// What a reader sees: the text itself, or what its markup renders to.
QString Shown(const Seen& seen) {
  const bool rich = seen.Format == Qt::RichText || (seen.Format == Qt::AutoText && Qt::mightBeRichText(seen.Text));
  return rich ? QTextDocumentFragment::fromHtml(seen.Text).toPlainText() : seen.Text;
}

class OutsideTextTest : public MainWindowFixture {
protected:
  struct Place {
    std::string Where;
    std::function<Seen(int row, const QString& text)> Show;
    bool Quoted = false;  // a category cell quotes a name with blanks or quotes
  };

  // A window on its comments page with one entry per text: the text is its title,
  // its category's name and, unless comments are given, its comment.
  TFormMain& StartWithEntries(const QStringList& texts, const QStringList& comments = {}) {
    TFormMain& window = StartWindow();
    for (int id = 1; id <= texts.size(); ++id) {
      const std::string text = texts[id - 1].toStdString();
      const std::string url = "http://blog.example/" + std::to_string(id);
      InsertEntry(window.GetDb(), url, text, 45000, false);
      InsertCategory(window.GetDb(), id, text, "http://blog.example/c");
      InsertCategoryMemberships(window.GetDb(), id, {url});
      TEntry entry(id, url, text, 45000);
      entry.SetComment(comments.isEmpty() ? text : comments[id - 1].toStdString());
      SaveComment(window.GetDb(), entry);
    }
    window.GetUi().PageControl1->setCurrentIndex(1);
    return window;
  }

  // The real message box, not the scripted one, for one call.
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
    std::vector<Place> places;
    for (const int column : {2, 3, 4})
      for (const int role : {Qt::DisplayRole, Qt::ToolTipRole})
        places.push_back({"column " + std::to_string(column) + (role == Qt::ToolTipRole ? " tooltip" : " cell"),
                          [&form, column, role](int row, const QString&) {
                            const QModelIndex index = form.GridComment->model()->index(row, column);
                            return Seen{index.data(role).toString(),
                                        role == Qt::ToolTipRole ? Qt::AutoText : Qt::PlainText};
                          },
                          column == 3});
    places.push_back({"comment dialog's title", [&window, &form](int row, const QString&) {
                        Seen seen;
                        form.GridComment->selectRow(row);
                        WhenShown<TFormComment>([&seen](TFormComment& dialog) {
                          const auto* label = dialog.findChild<QLabel*>(u"LabelTitle"_s);
                          seen = {label->text(), label->textFormat(), dialog.width()};
                          dialog.reject();
                        });
                        Trigger(window, "ActionCommentEdit");
                        return seen;
                      }});
    places.push_back({"category list", [&form](int, const QString& text) {
                        form.ListViewCategory->clear();
                        const QModelIndex index = form.ListViewCategory->indexFromItem(
                            new QTreeWidgetItem(form.ListViewCategory, {text, u"http://blog.example/c"_s}));
                        const auto* delegate =
                            qobject_cast<QStyledItemDelegate*>(form.ListViewCategory->itemDelegateForIndex(index));
                        return Seen{delegate->displayText(index.data(), QLocale())};
                      }});
    places.push_back({"message box", [this](int, const QString& text) {
                        return RealBox([&text] { TPrompts::Get().Message(nullptr, TPrompts::Icon::Error, text); });
                      }});
    places.push_back({"question box", [this](int, const QString& text) {
                        return RealBox(
                            [&text] { TPrompts::Get().Choose(nullptr, TPrompts::Icon::Question, text, {u"OK"_s}, 0); });
                      }});
    places.push_back({"output notice", [&window](int, const QString& text) {
                        TOutputNotice notice(&window);
                        notice.ShowDone(text);
                        const auto* label = notice.findChild<TElidedLabel*>(u"LabelOutputNotice"_s);
                        const QString& shown = label->GetFullText();
                        return Seen{shown.mid(shown.indexOf(u": "_s) + 2), label->textFormat(),
                                    notice.minimumSizeHint().width()};
                      }});
    places.push_back({"crawl dialog's address", [](int, const QString& text) {
                        TFormDownloadEntry dialog;
                        dialog.ShowUrl(text);
                        const auto* label = dialog.findChild<QLabel*>(u"LabelUrl"_s);
                        return Seen{label->text(), label->textFormat()};
                      }});
    return places;
  }
};

TEST_F(OutsideTextTest, TextIsShownAsTypedWithoutBidirectionalControlsAndStoredAsItCame) {
  const QStringList texts = {u"<img src=\"file:///dev/zero\">"_s, u"<b>x</b>"_s,
                             u"<a href=\"file:///etc/passwd\">リンク</a><table><tr><td>表</td></tr></table>"_s,
                             u"<font size=7 color=red>x.proj</font>"_s, u"report\u202Etxt.jorp"_s,
                             u"\u2067שלום\u2069 \u202Aa\u202Bb\u202Cc\u202Dd\u2066e\u2068f"_s};
  TFormMain& window = StartWithEntries(texts);
  for (const Place& place : Places(window))
    for (int row = 0; row < texts.size(); ++row) {
      SCOPED_TRACE(place.Where + " " + texts[row].toStdString());
      QString typed = place.Quoted ? QString::fromStdString(CategoryCommaText(
                                         {1}, {{1, TCategory(1, texts[row].toStdString(), "")}}))
                                   : texts[row];
      typed.removeIf(
          [](QChar c) { return (c >= u'\u202A' && c <= u'\u202E') || (c >= u'\u2066' && c <= u'\u2069'); });
      EXPECT_EQ(Shown(place.Show(row, texts[row])).toStdString(), typed.toStdString());
    }
  EXPECT_EQ(QString::fromStdString(LoadEntries(window.GetDb())[4].GetTitle()), texts[4]);
  EXPECT_EQ(window.GetUi().ListViewCategory->topLevelItem(0)->text(0), texts[5]);

  Prompts->ExpectSaveFile(QString::fromStdString(Files.File("")) + u"report\u202Etxt.proj"_s);
  Trigger(window, "ActionFileSaveAs");
  EXPECT_EQ(window.windowTitle(), u"Tocwerk - reporttxt.proj"_s);
}

TEST_F(OutsideTextTest, HugeTextIsCutBeforeItIsLaidOut) {
  const QStringList texts = {QString(2'000'000, u'あ'), QString(3'000'000, u'x'),
                             u"語 "_s.repeated(1'000'000) + u"\n"_s.repeated(1000)};
  // The comment dialog's editor takes seconds to lay out a comment of megabytes.
  TFormMain& window =
      StartWithEntries(texts, {texts[0].left(50'000), texts[1].left(50'000), texts[2].left(50'000)});
  QElapsedTimer clock;
  clock.start();
  window.GetUi().GridComment->grab();
  EXPECT_LT(clock.elapsed(), 5000) << "painting the page";
  for (const Place& place : Places(window))
    for (int row = 0; row < texts.size(); ++row) {
      SCOPED_TRACE(place.Where + " " + std::to_string(row));
      const Seen seen = place.Show(row, texts[row]);
      const QStringList lines = Shown(seen).split(u'\n');
      EXPECT_LE(Shown(seen).size() - lines.size() + 1, 4001);
      EXPECT_LE(seen.Width, QGuiApplication::primaryScreen()->geometry().width());
      EXPECT_TRUE(Shown(seen).endsWith(u'…'));
      if (seen.Format == Qt::AutoText) {  // a tooltip fits the screen
        EXPECT_TRUE(lines.size() <= 30 && std::ranges::max(lines, {}, &QString::size).size() <= 101);
      }
    }
}

}
