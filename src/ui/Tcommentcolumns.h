#pragma once

class QTableView;
class TCommentListModel;

// The widths of the comments grid's columns. The URL, date and category columns
// keep the widths they were given; the title takes what the grid gains, up to
// its widest title, and the comment the rest.
namespace CommentColumns {

// The starting widths, none narrower than its column's title.
void SetDefaultWidths(QTableView& grid);
// The width that shows the longest title of the list whole.
int WidestTitle(const QTableView& grid, const TCommentListModel& list);
void Fit(QTableView& grid, int widestTitle);

}
