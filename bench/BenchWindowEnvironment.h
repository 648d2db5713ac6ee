#pragma once

#include <QTemporaryDir>
#include <QtGlobal>

// Offscreen unless a platform is named; the window's settings and working copies
// go into temp, out of the user's own. Before the application is made.
inline void UseScratchWindowEnvironment(const QTemporaryDir& temp) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
  qputenv("XDG_CONFIG_HOME", temp.filePath(QStringLiteral("config")).toLocal8Bit());
  qputenv("XDG_CACHE_HOME", temp.filePath(QStringLiteral("cache")).toLocal8Bit());
}
