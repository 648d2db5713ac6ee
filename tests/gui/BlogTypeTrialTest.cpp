// The blog type workbench, opened from the real main window's menu, on the sample
// blog from the real server: fetch, follow an address with a click, go back, and
// try a script again after editing it.
#include "MainWindowFixture.h"
#include "ModalDialogs.h"
#include "ServedSample.h"

#include "ui/Tformblogtypetrial.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTreeWidget>

namespace {

using namespace Qt::StringLiterals;

class BlogTypeTrialTest : public MainWindowFixture {
protected:
  static QTreeWidgetItem* Row(QTreeWidget& tree, const QString& function) {
    const QList<QTreeWidgetItem*> found = tree.findItems(function, Qt::MatchExactly, 0);
    return found.isEmpty() ? nullptr : found.first();
  }

  static QStringList Functions(QTreeWidget& tree) {
    QStringList names;
    for (int row = 0; row < tree.topLevelItemCount(); ++row)
      names << tree.topLevelItem(row)->text(0);
    return names;
  }

  static void Press(TFormBlogTypeTrial& dialog, const char* button) {
    dialog.findChild<QPushButton*>(QString::fromLatin1(button))->click();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !dialog.IsRunning(); }, 30000));
  }
};

TEST_F(BlogTypeTrialTest, FollowsAChainByClicksAndPicksUpAnEditedScript) {
  const ServedSample sample(12, 0);
  // The shipped blog type second, beside one that shares its script.
  const std::string folder = EmptyFolder();
  std::filesystem::copy_file(GetAppDataFolder("blog") + "generic-html5.js", folder + "generic-html5.js");
  std::filesystem::copy_file(GetAppDataFolder("blog") + "generic-html5.ini", folder + "b.ini");
  WriteFile(folder + "a.ini", "[CONFIG]\nname=一つ目\n[SCRIPT]\nfile=generic-html5.js\nlanguage=JScript\n");
  TFormMain& window = StartWindow(folder);
  window.GetUi().ComboBoxBlogType->setCurrentIndex(1);
  window.GetUi().EditEntryUrl->setText(QString::fromStdString(sample.Url("/")));
  const QString entry12 = QString::fromStdString(sample.Url(TSampleBlog::EntryPath(12)));
  bool walked = false;
  WhenShown<TFormBlogTypeTrial>([&](TFormBlogTypeTrial& dialog) {
    auto* tree = dialog.findChild<QTreeWidget*>(u"TreeResult"_s);
    auto* url = dialog.findChild<QLineEdit*>(u"EditUrl"_s);
    EXPECT_EQ(dialog.findChild<QComboBox*>(u"ComboBlogType"_s)->currentText(), u"汎用 (HTML5)"_s);
    EXPECT_EQ(url->text().toStdString(), sample.Url("/"));

    // An address without a scheme is read only when the user agrees to https://.
    url->setText(u"127.0.0.1:1/"_s);
    Prompts->ExpectChoice(u"URL「127.0.0.1:1/」には http:// も https:// もありません。\nhttps://127.0.0.1:1/ として続けますか？"_s, 1);
    Press(dialog, "ButtonFetch");
    EXPECT_TRUE(Prompts->AllAnswered());
    EXPECT_EQ(url->text(), u"127.0.0.1:1/"_s);
    EXPECT_EQ(tree->topLevelItemCount(), 0);
    url->setText(QString::fromStdString(sample.Url("/")));

    Press(dialog, "ButtonFetch");
    EXPECT_EQ(Functions(*tree), (QStringList{u"Detect"_s, u"GetCategoryList"_s, u"GetRecentEntry"_s,
                                             u"GetEntryList"_s, u"GetNextEntryListUrl"_s, u"GetTitle"_s,
                                             u"GetDate"_s, u"GetNextUrl"_s, u"GetEntryUrl"_s,
                                             u"GetNextCategoryUrl"_s}));
    QTreeWidgetItem* list = Row(*tree, u"GetEntryList"_s);
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->childCount(), TSampleBlog::TopEntryCount);
    QTreeWidgetItem* newest = list->child(0);
    EXPECT_EQ(newest->text(1), entry12);

    tree->scrollToItem(newest);
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualItemRect(newest).center());
    EXPECT_TRUE(QTest::qWaitFor([&] { return !dialog.IsRunning(); }, 30000));
    EXPECT_EQ(url->text(), entry12);
    EXPECT_EQ(Row(*tree, u"GetTitle"_s)->text(1).toStdString(), sample.Blog.EntryTitle(12));
    EXPECT_EQ(Row(*tree, u"GetTitle"_s)->text(4), QString());

    // The blog type now names another script: only a reload finds it.
    WriteFile(folder + "edited.js", ReadFile(folder + "generic-html5.js") +
                                        "\r\nfunction GetTitle(page, url) {\r\n  throw new Error('書き換えた');\r\n}\r\n");
    std::string ini = ReadFile(folder + "b.ini");
    ini.replace(ini.find("file=generic-html5.js"), 21, "file=edited.js");
    WriteFile(folder + "b.ini", ini);
    Press(dialog, "ButtonReload");
    Press(dialog, "ButtonFetch");
    const QTreeWidgetItem* title = Row(*tree, u"GetTitle"_s);
    ASSERT_NE(title, nullptr);
    EXPECT_TRUE(QRegularExpression(u"^[1-9][0-9]* 行目: .*書き換えた"_s).match(title->text(4)).hasMatch())
        << title->text(4).toStdString();
    EXPECT_EQ(title->foreground(0).color(), QColor(Qt::red));

    Press(dialog, "ButtonBack");
    EXPECT_EQ(url->text().toStdString(), sample.Url("/"));
    walked = true;
    dialog.findChild<QPushButton*>(u"ButtonClose"_s)->click();
  });
  Trigger(window, "ActionBlogTypeTrial");
  EXPECT_TRUE(walked);
}

}
