#include "ui/Tcommentdelegate.h"

#include "ui/Tcommentlistmodel.h"

#include <QApplication>
#include <QPainter>
#include <QTextLayout>
#include <QtMath>

#include <vector>

namespace {

using namespace Qt::StringLiterals;

// The style keeps this much space above and below the text of a cell.
constexpr int CellMargin = 4;

// The height of one line of text as a layout sets it, Japanese glyphs included:
// they come from a fallback font when the font has none, and that one is taller.
qreal LineHeight(const QFont& font) {
  QTextLayout layout(u"漢あAg"_s, font);
  layout.beginLayout();
  const QTextLine line = layout.createLine();
  layout.endLayout();
  return line.height();
}

// Lays the text out in lines of the rectangle's width and draws those that fit
// its height; when text is left over, the last line drawn ends in an ellipsis.
void DrawWrapped(QPainter& painter, const QRectF& rect, const QString& text) {
  QTextLayout layout(text, painter.font());
  QTextOption wrapping;
  wrapping.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
  layout.setTextOption(wrapping);
  layout.beginLayout();
  std::vector<QTextLine> lines;
  bool cut = false;
  qreal height = 0;
  for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
    line.setLineWidth(rect.width());
    if (!lines.empty() && height + line.height() > rect.height()) {
      cut = true;
      break;
    }
    line.setPosition({0, height});
    height += line.height();
    lines.push_back(line);
  }
  layout.endLayout();
  for (std::size_t index = 0; index + 1 < lines.size(); ++index)
    lines[index].draw(&painter, rect.topLeft());
  const QTextLine& last = lines.back();
  if (!cut) {
    last.draw(&painter, rect.topLeft());
    return;
  }
  QString shown = text.mid(last.textStart(), last.textLength());
  shown.remove(QChar::LineSeparator);
  shown = painter.fontMetrics().elidedText(shown + QChar(0x2026), Qt::ElideRight, qFloor(rect.width()));
  painter.drawText(rect.topLeft() + last.position() + QPointF(0, last.ascent()), shown);
}

}

int TCommentDelegate::RowHeight(const QFont& font, int lines) {
  return qCeil(LineHeight(font) * lines) + 2 * CellMargin;
}

void TCommentDelegate::initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const {
  QStyledItemDelegate::initStyleOption(option, index);
  option->features &= ~QStyleOptionViewItem::WrapText;
  option->textElideMode = Qt::ElideRight;
  option->displayAlignment = Qt::AlignLeft | Qt::AlignVCenter;
  // A line break would start a second line.
  option->text.replace(u'\r', u' ').replace(u'\n', u' ');
}

// The style would draw a line cut in half below the last whole one, so the comment
// is laid out here; the style draws the cell without it.
void TCommentDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const {
  if (index.column() != TCommentListModel::ColumnComment) {
    QStyledItemDelegate::paint(painter, option, index);
    return;
  }
  QStyleOptionViewItem cell = option;
  QStyledItemDelegate::initStyleOption(&cell, index);
  QString text = cell.text;
  cell.text.clear();
  const QWidget* widget = cell.widget;
  const QStyle* style = widget ? widget->style() : QApplication::style();
  style->drawControl(QStyle::CE_ItemViewItem, &cell, painter, widget);
  if (text.isEmpty())
    return;
  const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, widget) + 1;
  const QRect rect = style->subElementRect(QStyle::SE_ItemViewItemText, &cell, widget)
                         .adjusted(margin, CellMargin / 2, -margin, -CellMargin / 2);
  const bool selected = cell.state & QStyle::State_Selected;
  painter->save();
  painter->setFont(cell.font);
  painter->setPen(cell.palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
  painter->setClipRect(rect);
  text.remove(u'\r').replace(u'\n', QChar::LineSeparator);
  DrawWrapped(*painter, rect, text);
  painter->restore();
}
