#pragma once

#include <QSortFilterProxyModel>
#include <QStringList>

class TCommentListModel;

// The rows of the comments table whose text holds every word of the query,
// without regard to case or to full- and half-width forms.
class TCommentFilter : public QSortFilterProxyModel {
  Q_OBJECT

public:
  explicit TCommentFilter(TCommentListModel& source, QObject* parent = nullptr);

  void SetQuery(const QString& query);

protected:
  bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;

private:
  TCommentListModel& Source;
  QStringList Terms;
};
