#pragma once

#include "store/Tcategory.h"
#include "store/Tentry.h"

#include <QAbstractTableModel>
#include <QStringList>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

// The text a search compares: compatibility-normalised (full-width letters and
// digits, half-width kana) and case-folded.
QString FoldedForSearch(const QString& text);

// The comments page's table: one row per loaded entry with its URL, date, title,
// category names and comment, drawn from the lists it holds. The URL cell shows
// the address without its site; its tooltip shows it whole. A project without
// entries still shows one empty row, which stands for no entry.
class TCommentListModel : public QAbstractTableModel {
  Q_OBJECT

public:
  enum Column { ColumnUrl, ColumnDate, ColumnTitle, ColumnCategories, ColumnComment, ColumnCount };

  using QAbstractTableModel::QAbstractTableModel;

  void Load(std::vector<TEntry> entries, std::map<std::int32_t, TCategory> categories);
  // Frees the lists.
  void Clear();

  int GetEntryCount() const { return static_cast<int>(Entries.size()); }
  // The entry a row shows; nullptr for the empty row or a row that is not there.
  const TEntry* GetEntry(int row) const;
  void SetComment(int row, const std::string& comment);
  // True when every folded term is in the row's title, URL, category names or
  // comment; the empty row matches anything.
  bool Matches(int row, const QStringList& foldedTerms) const;

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
  // The stored text, UTF-8; each cell and tooltip shows it cut, so that no repaint
  // lays out megabytes.
  std::string CellText(const TEntry& entry, int column) const;
  QString SearchText(const TEntry& entry) const;

  std::vector<TEntry> Entries;
  std::map<std::int32_t, TCategory> Categories;
  // Per entry, what the filter compares, folded once at load.
  std::vector<QString> Folded;
};
