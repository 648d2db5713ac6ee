#include "ui/Tcommentcolumns.h"

#include "ui/ShownText.h"
#include "ui/Tcommentlistmodel.h"

#include <QHeaderView>
#include <QStyle>
#include <QTableView>

#include <algorithm>

namespace {

constexpr int GridMargin = 4;
// The widths a path, a date and a few category names need in the program's font.
constexpr int DefaultWidths[] = {120, 70, 150, 70};
constexpr int CommentMinWidth = 150;

int DefaultWidth(const QTableView& grid, int column) {
  return std::max(DefaultWidths[column], grid.horizontalHeader()->sectionSizeHint(column));
}

}

void CommentColumns::SetDefaultWidths(QTableView& grid) {
  for (int column = 0; column < TCommentListModel::ColumnComment; ++column)
    grid.setColumnWidth(column, DefaultWidth(grid, column));
}

int CommentColumns::WidestTitle(const QTableView& grid, const TCommentListModel& list) {
  const QFontMetrics metrics = grid.fontMetrics();
  int widest = 0;
  for (int row = 0; row < list.GetEntryCount(); ++row)
    widest = std::max(widest, metrics.horizontalAdvance(ShownText(list.GetEntry(row)->GetTitle())));
  // The style's padding on both sides of a cell's text.
  const int padding = 2 * (grid.style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, &grid) + 1);
  return widest + padding + 1;
}

void CommentColumns::Fit(QTableView& grid, int widestTitle) {
  using Column = TCommentListModel::Column;
  const int rest = grid.viewport()->width() - GridMargin - grid.columnWidth(Column::ColumnUrl) -
                   grid.columnWidth(Column::ColumnDate) - grid.columnWidth(Column::ColumnCategories);
  const int titleMin = DefaultWidth(grid, Column::ColumnTitle);
  const int title = std::clamp(rest - CommentMinWidth, titleMin, std::max(titleMin, widestTitle));
  grid.setColumnWidth(Column::ColumnTitle, title);
  grid.setColumnWidth(Column::ColumnComment, std::max(rest - title, grid.horizontalHeader()->minimumSectionSize()));
}
