#include "text/Tkspecialfolder.h"

#include <QStandardPaths>

#include <optional>
#include <stdexcept>

namespace {

using Location = QStandardPaths::StandardLocation;

// Kinds without a counterpart here (virtual shell folders, shared folders of all
// users, the shell's own histories) have no location.
std::optional<Location> LocationOf(int kind) {
  switch (kind) {
  case 1: return QStandardPaths::GenericConfigLocation;      // APPDATA
  case 11: return QStandardPaths::DesktopLocation;           // DESKTOP
  case 12: return QStandardPaths::DesktopLocation;           // DESKTOPDIRECTORY
  case 15: return QStandardPaths::FontsLocation;             // FONTS
  case 18: return QStandardPaths::GenericCacheLocation;      // INTERNET_CACHE
  case 21: return QStandardPaths::DocumentsLocation;         // PERSONAL
  case 24: return QStandardPaths::ApplicationsLocation;      // PROGRAMS
  case 27: return QStandardPaths::ApplicationsLocation;      // STARTMENU
  case 29: return QStandardPaths::TemplatesLocation;         // TEMPLATES
  default: return std::nullopt;
  }
}

} // namespace

std::string GetSpecialFolderPath(int8_t kind) {
  if (kind < 0 || kind > 29)
    throw std::runtime_error("指定されたコードが見つかりません。");
  if (kind == 28) {  // STARTUP
    const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return config.isEmpty() ? std::string() : config.toStdString() + "/autostart";
  }
  const std::optional<Location> location = LocationOf(kind);
  if (!location)
    return std::string();
  QString path = QStandardPaths::writableLocation(*location);
  while (path.size() > 1 && path.endsWith(u'/'))
    path.chop(1);
  return path.toStdString();
}
