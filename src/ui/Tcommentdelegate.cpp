#include "ui/Tcommentdelegate.h"

#include "ui/Tcommentlistmodel.h"

#include <QFontMetrics>

#include <algorithm>

namespace {

using namespace Qt::StringLiterals;

// The style keeps this much space above and below the text of a cell.
constexpr int CellMargin = 4;

}

// Japanese glyphs come from a fallback font when the font has none, and that one
// is taller: a height from Latin metrics would cut the last line off.
int TCommentDelegate::RowHeight(const QFont& font, int lines) {
  const QFontMetrics metrics(font);
  const int line = std::max(metrics.lineSpacing(), metrics.boundingRect(u"漢あ"_s).height());
  return line * lines + 2 * CellMargin;
}

void TCommentDelegate::initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const {
  QStyledItemDelegate::initStyleOption(option, index);
  option->textElideMode = Qt::ElideRight;
  if (index.column() == TCommentListModel::ColumnComment) {
    option->features |= QStyleOptionViewItem::WrapText;
    option->displayAlignment = Qt::AlignLeft | Qt::AlignTop;
    option->text.remove(u'\r');
    return;
  }
  option->features &= ~QStyleOptionViewItem::WrapText;
  option->displayAlignment = Qt::AlignLeft | Qt::AlignVCenter;
  // A line break would start a second line.
  option->text.replace(u'\r', u' ').replace(u'\n', u' ');
}
