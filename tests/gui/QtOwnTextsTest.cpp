// Qt's own texts and dates, as the program's start-up leaves them: Japanese even
// where the system's locale is C, as under these tests.
#include "app/Tappstartup.h"

#include <QApplication>
#include <QDate>
#include <QDialogButtonBox>
#include <QLocale>
#include <QMessageBox>
#include <QPushButton>
#include <QTranslator>

#include <gtest/gtest.h>

namespace {

using namespace Qt::StringLiterals;

// The start-up's translators, locale and font go again after each test.
class QtOwnTextsTest : public ::testing::Test {
protected:
  ~QtOwnTextsTest() override {
    for (QTranslator* translator : qApp->findChildren<QTranslator*>()) {
      QCoreApplication::removeTranslator(translator);
      delete translator;
    }
    QLocale::setDefault(SavedLocale);
    QApplication::setFont(SavedFont);
  }

  const QLocale SavedLocale;
  const QFont SavedFont = QApplication::font();
};

TEST_F(QtOwnTextsTest, StandardButtonsAndDatesAreJapanese) {
  PrepareApplication(*qApp);

  QDialogButtonBox buttons(QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Close);
  EXPECT_EQ(buttons.button(QDialogButtonBox::Cancel)->text(), u"キャンセル"_s);
  EXPECT_EQ(buttons.button(QDialogButtonBox::Close)->text(), u"閉じる"_s);
  QMessageBox box(QMessageBox::Question, u"Tocwerk"_s, u"?"_s, QMessageBox::Yes | QMessageBox::No);
  EXPECT_EQ(box.button(QMessageBox::No)->text(), u"いいえ(&N)"_s);

  EXPECT_EQ(QLocale().language(), QLocale::Japanese);
  EXPECT_EQ(QLocale().toString(QDate(2026, 12, 9), QLocale::LongFormat), u"2026年12月9日水曜日"_s);
}

}
