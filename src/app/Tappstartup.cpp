#include "app/Tappstartup.h"

#include <QApplication>
#include <QFontDatabase>
#include <QLibraryInfo>
#include <QTranslator>

namespace {

using namespace Qt::StringLiterals;

const QString JapaneseFamily = u"Noto Sans CJK JP"_s;
constexpr int FontPointSize = 9;

}

void PrepareApplication(QApplication& application) {
  QApplication::setApplicationName(u"Tocwerk"_s);
  auto* translator = new QTranslator(&application);
  if (translator->load(u"qtbase_ja"_s, QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
    QApplication::installTranslator(translator);
  else
    qWarning("Qt's Japanese translation (qtbase_ja) was not found; standard buttons stay in English");
  if (QFontDatabase::families().contains(JapaneseFamily))
    QApplication::setFont(QFont(JapaneseFamily, FontPointSize));
}
