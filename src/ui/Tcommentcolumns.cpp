#include "ui/Tcommentcolumns.h"

#include "ui/ShownText.h"
#include "ui/Tcommentlistmodel.h"

#include <QHeaderView>
#include <QStyle>
#include <QTableView>

#include <algorithm>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr int GridMargin = 4;
// The starting widths of the URL, date, title and category columns: a path, a
// date, a short title and a few category names in the program's font.
constexpr int DefaultWidths[] = {120, 70, 150, 70};
constexpr int CommentMinWidth = 150;
// Laying out every title of a large project takes seconds; the widest is among
// those that are roughly the widest.
constexpr std::size_t MeasuredTitles = 64;

// ASCII counts one, any other character two: about the share of the width a
// title takes, from its UTF-8 without decoding it.
int RoughWidth(const std::string& utf8) {
  int width = 0;
  for (const unsigned char byte : utf8)
    if (byte < 0x80)
      width += 1;
    else if (byte >= 0xC0)
      width += 2;
  return width;
}

int DefaultWidth(const QTableView& grid, int column) {
  return std::max(DefaultWidths[column], grid.horizontalHeader()->sectionSizeHint(column));
}

}

void CommentColumns::SetDefaultWidths(QTableView& grid) {
  for (int column = 0; column < TCommentListModel::ColumnComment; ++column)
    grid.setColumnWidth(column, DefaultWidth(grid, column));
}

int CommentColumns::WidestTitle(const QTableView& grid, const TCommentListModel& list) {
  std::vector<std::pair<int, int>> rough;
  rough.reserve(static_cast<std::size_t>(list.GetEntryCount()));
  for (int row = 0; row < list.GetEntryCount(); ++row)
    rough.emplace_back(RoughWidth(list.GetEntry(row)->GetTitle()), row);
  const auto measured = rough.begin() + static_cast<std::ptrdiff_t>(std::min(rough.size(), MeasuredTitles));
  std::partial_sort(rough.begin(), measured, rough.end(), std::greater<>());
  const QFontMetrics metrics = grid.fontMetrics();
  int widest = 0;
  for (auto title = rough.begin(); title != measured; ++title)
    widest = std::max(widest, metrics.horizontalAdvance(ShownText(list.GetEntry(title->second)->GetTitle())));
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
