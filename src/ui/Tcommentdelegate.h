#pragma once

#include <QStyledItemDelegate>

// Draws the comments table's cells: the comment from the top of its cell, wrapped
// over the lines the row's height allows; every other column on one line. Text
// that does not fit ends in an ellipsis.
class TCommentDelegate : public QStyledItemDelegate {
  Q_OBJECT

public:
  using QStyledItemDelegate::QStyledItemDelegate;

  // The row height that shows this many lines of Japanese text in the font.
  static int RowHeight(const QFont& font, int lines);

  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;

protected:
  void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;
};
