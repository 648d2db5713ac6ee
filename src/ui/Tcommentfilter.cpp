#include "ui/Tcommentfilter.h"

#include "ui/Tcommentlistmodel.h"

TCommentFilter::TCommentFilter(TCommentListModel& source, QObject* parent)
    : QSortFilterProxyModel(parent), Source(source) {
  setSourceModel(&source);
}

// invalidate() rebuilds the mapping in one layout change; removing the rows that
// no longer match one range at a time is far slower on a large table.
void TCommentFilter::SetQuery(const QString& query) {
  const QStringList terms = FoldedForSearch(query).simplified().split(u' ', Qt::SkipEmptyParts);
  if (terms == Terms)
    return;
  Terms = terms;
  invalidate();
}

bool TCommentFilter::filterAcceptsRow(int sourceRow, const QModelIndex&) const {
  return Source.Matches(sourceRow, Terms);
}
