// The category edit dialog: OK checks the name, then the URL, and keeps the dialog
// open with the focus on the field to fill in.
#include "DialogFixture.h"

#include "ui/Tformcategory.h"

#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <vector>

namespace {

using namespace Qt::StringLiterals;

using DialogCategoryTest = DialogFixture;

QPushButton* Button(TFormCategory& dialog, QDialogButtonBox::StandardButton which) {
  return dialog.findChild<QDialogButtonBox*>()->button(which);
}

TEST_F(DialogCategoryTest, OkChecksTheNameFirstThenTheUrl) {
  struct Case {
    QString Name;
    QString Url;
    // Empty when OK is accepted.
    QString Message;
    QString FocusedField;
  };
  const std::vector<Case> cases = {
      {u""_s, u""_s, u"カテゴリ名が入力されていません。"_s, u"EditName"_s},
      {u""_s, u"http://example.com/c/"_s, u"カテゴリ名が入力されていません。"_s, u"EditName"_s},
      {u"日記"_s, u""_s, u"URLが入力されていません。"_s, u"EditUrl"_s},
      {u" "_s, u" "_s, u""_s, {}},
      {u"日記"_s, u"http://example.com/c/"_s, u""_s, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(QString(c.Name + u"|"_s + c.Url).toStdString());
    TFormCategory dialog;
    dialog.SetName(c.Name);
    dialog.SetUrl(c.Url);
    dialog.open();
    if (!c.Message.isEmpty())
      Prompts->ExpectMessage(c.Message);
    Button(dialog, QDialogButtonBox::Ok)->click();
    if (c.Message.isEmpty()) {
      EXPECT_FALSE(dialog.isVisible());
      EXPECT_EQ(dialog.result(), QDialog::Accepted);
      EXPECT_EQ(dialog.GetName(), c.Name);
      EXPECT_EQ(dialog.GetUrl(), c.Url);
    } else {
      EXPECT_TRUE(dialog.isVisible());
      ASSERT_NE(dialog.focusWidget(), nullptr);
      EXPECT_EQ(dialog.focusWidget()->objectName(), c.FocusedField);
    }
    EXPECT_TRUE(Prompts->AllAnswered());
  }
}

TEST_F(DialogCategoryTest, FillingInAfterTheMessagesAndEnterAccepts) {
  TFormCategory dialog;
  dialog.open();
  QPushButton* ok = Button(dialog, QDialogButtonBox::Ok);
  Prompts->ExpectMessage(u"カテゴリ名が入力されていません。"_s);
  ok->click();
  dialog.findChild<QLineEdit*>(u"EditName"_s)->setText(u"旅行"_s);
  Prompts->ExpectMessage(u"URLが入力されていません。"_s);
  ok->click();
  ASSERT_TRUE(dialog.isVisible());
  dialog.findChild<QLineEdit*>(u"EditUrl"_s)->setText(u"http://example.com/travel/"_s);
  // Enter presses OK.
  QTest::keyClick(&dialog, Qt::Key_Return);
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_EQ(dialog.GetName(), u"旅行"_s);
  EXPECT_EQ(dialog.GetUrl(), u"http://example.com/travel/"_s);
}

TEST_F(DialogCategoryTest, CancelEscAndTheCloseBoxAskNothing) {
  for (int way = 0; way < 3; ++way) {
    SCOPED_TRACE(way);
    TFormCategory dialog;
    dialog.open();
    if (way == 0)
      Button(dialog, QDialogButtonBox::Cancel)->click();
    else if (way == 1)
      QTest::keyClick(&dialog, Qt::Key_Escape);
    else
      dialog.close();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
  }
}

TEST_F(DialogCategoryTest, ExecReturnsAcceptedOnlyAfterOkPassed) {
  TFormCategory dialog;
  dialog.SetName(u"料理"_s);
  Prompts->ExpectMessage(u"URLが入力されていません。"_s);
  QTimer::singleShot(0, &dialog, [&] {
    Button(dialog, QDialogButtonBox::Ok)->click();
    dialog.SetUrl(u"http://example.com/food/"_s);
    Button(dialog, QDialogButtonBox::Ok)->click();
  });
  EXPECT_EQ(dialog.exec(), QDialog::Accepted);
  EXPECT_EQ(dialog.GetUrl(), u"http://example.com/food/"_s);
}

}
