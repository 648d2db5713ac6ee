// The help dialogs and the about box, opened from the real main window: which
// document each row shows, how clicks, keys and links move through them, and
// what the about box tells of the build.
#include "MainWindowFixture.h"
#include "ModalDialogs.h"

#include "ui/Tformaboutbox.h"
#include "ui/Tformblogtypehelp.h"
#include "ui/Tformhtmltemplatehelp.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QTextBrowser>
#include <QTreeWidget>

namespace {

using namespace Qt::StringLiterals;

// The first document is UTF-8 and links to the web and to the second; the second
// is in code page 932 ("二番目の説明").
const std::string FirstHelp =
    "<html><body><p>最初の説明</p><a href=\"https://example.com/guide\">web</a> "
    "<a href=\"second.html\">next</a></body></html>";
const std::string SecondHelp = "<html><body><p>\x93\xF1\x94\xD4\x96\xDA\x82\xCC\x90\xE0\x96\xBE</p></body></html>";

class HelpAboutTest : public MainWindowFixture {
protected:
  std::string HelpFolder(const std::vector<std::pair<std::string, std::string>>& iniFiles) {
    const std::string folder = EmptyFolder();
    WriteFile(folder + "first.html", FirstHelp);
    WriteFile(folder + "second.html", SecondHelp);
    for (const auto& [name, text] : iniFiles)
      WriteFile(folder + name, text);
    return folder;
  }

  std::string TwoBlogTypes() {
    const std::string folder = HelpFolder({
        {"a.ini", "[CONFIG]\nname=ブログA\nsimpletext=Aの一行\nhelp=first.html\n[SCRIPT]\nfile=script.js\nlanguage=JScript\n"},
        {"b.ini", "[CONFIG]\nname=ブログB\nsimpletext=Bの一行\nhelp=second.html\n[SCRIPT]\nfile=script.js\nlanguage=JScript\n"},
    });
    std::filesystem::copy_file(GetAppDataFolder("blog") + "generic-html5.js", folder + "script.js");
    return folder;
  }

  std::string TwoTemplates() {
    return HelpFolder({
        {"a.ini", "[TEMPLATE]\nname=テンプレートA\nexe=none\nhelp=first.html\n[CONFIG]\n1=Title\n"},
        {"b.ini", "[TEMPLATE]\nname=テンプレートB\nexe=none\nhelp=second.html\n[CONFIG]\n1=見出し\n"},
    });
  }

  static QStringList Rows(const QTreeWidget& list) {
    QStringList rows;
    for (int row = 0; row < list.topLevelItemCount(); ++row) {
      QStringList cells;
      for (int column = 0; column < list.columnCount(); ++column)
        cells << list.topLevelItem(row)->text(column);
      rows << cells.join(u'|');
    }
    return rows;
  }

  static QStringList Headers(const QTreeWidget& list) {
    QStringList headers;
    for (int column = 0; column < list.columnCount(); ++column)
      headers << list.headerItem()->text(column);
    return headers;
  }

  static void ClickAt(QTreeWidget& list, QPoint point) {
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, point);
  }

  // What the help dialog shows as the user clicks a row, an empty part, uses the
  // arrow keys and follows a link to the next document and one to the web.
  void WalkThrough(QDialog& dialog) {
    auto* list = dialog.findChild<QTreeWidget*>(u"ListViewBlog"_s);
    auto* browser = dialog.findChild<QTextBrowser*>(u"WebBrowser1"_s);
    ASSERT_TRUE(list && browser);
    const auto shown = [browser] { return browser->toPlainText(); };

    EXPECT_EQ(list->currentItem(), list->topLevelItem(0));
    EXPECT_TRUE(shown().contains(u"最初の説明"_s)) << shown().toStdString();

    ClickAt(*list, list->visualItemRect(list->topLevelItem(1)).center());
    EXPECT_TRUE(shown().contains(u"二番目の説明"_s)) << shown().toStdString();

    ClickAt(*list, QPoint(5, list->viewport()->height() - 3));
    EXPECT_TRUE(shown().contains(u"二番目の説明"_s)) << shown().toStdString();

    list->setFocus();
    QTest::keyClick(list, Qt::Key_Up);
    EXPECT_TRUE(shown().contains(u"最初の説明"_s)) << shown().toStdString();

    Prompts->ExpectOpenUrl(u"https://example.com/guide"_s);
    emit browser->anchorClicked(QUrl(u"https://example.com/guide"_s));
    EXPECT_TRUE(Prompts->AllAnswered());
    EXPECT_TRUE(shown().contains(u"最初の説明"_s)) << shown().toStdString();

    emit browser->anchorClicked(QUrl(u"second.html"_s));
    EXPECT_TRUE(shown().contains(u"二番目の説明"_s)) << shown().toStdString();

    dialog.findChild<QPushButton*>(u"BtnClose"_s)->click();
  }
};

TEST_F(HelpAboutTest, BlogTypeHelpShowsTheClickedTypesDocument) {
  TFormMain& window = StartWindow(TwoBlogTypes());
  bool seen = false;
  WhenShown<TFormBlogTypeHelp>([&](TFormBlogTypeHelp& dialog) {
    seen = true;
    EXPECT_EQ(dialog.windowTitle(), u"ブログの種類のヘルプ"_s);
    const auto* list = dialog.findChild<QTreeWidget*>(u"ListViewBlog"_s);
    EXPECT_EQ(Headers(*list), (QStringList{u"ブログの設定名"_s, u"一行ヘルプ"_s}));
    EXPECT_EQ(Rows(*list), (QStringList{u"ブログA|Aの一行"_s, u"ブログB|Bの一行"_s}));
    WalkThrough(dialog);
  });
  Trigger(window, "ActionBlogTypeHelp");
  EXPECT_TRUE(seen);
}

TEST_F(HelpAboutTest, TemplateHelpShowsTheClickedTemplatesDocumentAndKeepsTheSelection) {
  TFormMain& window = StartWindow({}, TwoTemplates());
  auto* templates = window.findChild<QComboBox*>(u"ComboBoxHtmlTemplate"_s);
  ASSERT_NE(templates, nullptr);
  const int selected = templates->currentIndex();
  bool seen = false;
  WhenShown<TFormHtmlTemplateHelp>([&](TFormHtmlTemplateHelp& dialog) {
    seen = true;
    EXPECT_EQ(dialog.windowTitle(), u"HTMLテンプレートのヘルプ"_s);
    const auto* list = dialog.findChild<QTreeWidget*>(u"ListViewBlog"_s);
    EXPECT_EQ(Headers(*list), QStringList{u"ブログの設定名"_s});
    EXPECT_EQ(Rows(*list), (QStringList{u"テンプレートA"_s, u"テンプレートB"_s}));
    WalkThrough(dialog);
  });
  Trigger(window, "ActionHtmlHelp");
  EXPECT_TRUE(seen);
  EXPECT_EQ(templates->currentIndex(), selected);
}

TEST_F(HelpAboutTest, AboutBoxShowsIconNameVersionAndCopyright) {
  TFormMain& window = StartWindow();
  bool seen = false;
  WhenShown<TFormAboutBox>([&](TFormAboutBox& box) {
    seen = true;
    EXPECT_EQ(box.windowTitle(), u"バージョン情報"_s);
    EXPECT_EQ(box.findChild<QLabel*>(u"ProductName"_s)->text(), u"Tocwerk"_s);
    EXPECT_TRUE(box.findChild<QLabel*>(u"Version"_s)->text().contains(u"1.0.0"_s));
    EXPECT_TRUE(box.findChild<QLabel*>(u"Copyright"_s)->text().contains(u"Copyright"_s));
    EXPECT_FALSE(box.findChild<QLabel*>(u"ProgramIcon"_s)->pixmap().isNull());
    auto* ok = box.findChild<QPushButton*>(u"OK"_s);
    ASSERT_NE(ok, nullptr);
    EXPECT_TRUE(ok->isDefault());
    ok->click();
  });
  Trigger(window, "ActionHelpVersion");
  EXPECT_TRUE(seen);
}

}  // namespace
