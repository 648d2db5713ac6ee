#include "app/Tappstartup.h"

#include <QApplication>
#include <QFontDatabase>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace {

using namespace Qt::StringLiterals;

const QString JapaneseFamily = u"Noto Sans CJK JP"_s;
constexpr int FontPointSize = 9;

QIcon ProgramIcon() {
  QIcon icon;
  for (const int size : {16, 32, 48, 64, 128, 256})
    icon.addFile(u":/icons/tocwerk-%1.png"_s.arg(size), QSize(size, size));
  return icon;
}

}

void PrepareApplication(QApplication& application) {
  QApplication::setApplicationName(u"Tocwerk"_s);
  QApplication::setWindowIcon(ProgramIcon());
  QGuiApplication::setDesktopFileName(QStringLiteral(TOCWERK_APP_ID));
  // The program speaks Japanese whatever the system's locale: Qt's dialogs write
  // their dates so too.
  QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
  auto* translator = new QTranslator(&application);
  if (translator->load(u"qtbase_ja"_s, QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
    QApplication::installTranslator(translator);
  else
    qWarning("Qt's Japanese translation (qtbase_ja) was not found; standard buttons stay in English");
  if (QFontDatabase::families().contains(JapaneseFamily))
    QApplication::setFont(QFont(JapaneseFamily, FontPointSize));
}
