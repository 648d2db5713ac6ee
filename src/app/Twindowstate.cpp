#include "app/Twindowstate.h"

#include "net/Tappconfig.h"
#include "ui/Tcommentlistmodel.h"
#include "ui/Tscreenfit.h"

#include <QMainWindow>
#include <QSettings>
#include <QTableView>

#include <filesystem>
#include <iterator>

namespace {

using namespace Qt::StringLiterals;

const QString GeometryKey = u"MainWindow/Geometry"_s;
const QString ColumnsKey = u"MainWindow/CommentColumns"_s;
// The title and comment columns share what is left, so only these are the user's.
constexpr int KeptColumns[] = {TCommentListModel::ColumnUrl, TCommentListModel::ColumnDate,
                               TCommentListModel::ColumnCategories};

QString SettingsFile() {
  const std::filesystem::path config(TAppConfig::GetInstance()->GetFileName());
  return QString::fromStdString((config.parent_path() / "Window.ini").string());
}

}

void WindowState::Restore(QMainWindow& window, QTableView& comments) {
  const QSettings settings(SettingsFile(), QSettings::IniFormat);
  window.restoreGeometry(settings.value(GeometryKey).toByteArray());
  const QVariantList widths = settings.value(ColumnsKey).toList();
  if (widths.size() == static_cast<qsizetype>(std::size(KeptColumns)))
    for (qsizetype index = 0; index < widths.size(); ++index)
      if (const int width = widths.at(index).toInt(); width > 0)
        comments.setColumnWidth(KeptColumns[index], width);
  FitIntoScreen(window);
}

void WindowState::Save(const QMainWindow& window, const QTableView& comments) {
  QSettings settings(SettingsFile(), QSettings::IniFormat);
  settings.setValue(GeometryKey, window.saveGeometry());
  QVariantList widths;
  for (const int column : KeptColumns)
    widths << comments.columnWidth(column);
  settings.setValue(ColumnsKey, widths);
}
