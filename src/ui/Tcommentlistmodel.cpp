#include "ui/Tcommentlistmodel.h"

#include "store/Tkcategorytext.h"
#include "store/Tkdatetime.h"
#include "ui/ShownText.h"

#include <QUrl>

#include <algorithm>
#include <utility>

namespace {

using namespace Qt::StringLiterals;

const QString ColumnTitles[] = {u"URL"_s, u"日付"_s, u"タイトル"_s, u"カテゴリー"_s, u"コメント"_s};

// Every entry is on the one blog, so the column shows what tells them apart; an
// address that is not a full URL shows whole.
QString AddressInSite(const QString& url) {
  const QUrl parsed(url);
  if (!parsed.isValid() || parsed.host().isEmpty())
    return url;
  const QString rest = parsed.toString(QUrl::RemoveScheme | QUrl::RemoveAuthority);
  return rest.isEmpty() ? u"/"_s : rest;
}

}

QString FoldedForSearch(const QString& text) {
  return text.normalized(QString::NormalizationForm_KC).toCaseFolded();
}

void TCommentListModel::Load(std::vector<TEntry> entries, std::map<std::int32_t, TCategory> categories) {
  beginResetModel();
  Entries = std::move(entries);
  Categories = std::move(categories);
  Folded.clear();
  Folded.reserve(Entries.size());
  for (const TEntry& entry : Entries)
    Folded.push_back(FoldedForSearch(SearchText(entry)));
  endResetModel();
}

void TCommentListModel::Clear() {
  beginResetModel();
  std::vector<TEntry>().swap(Entries);
  Categories.clear();
  std::vector<QString>().swap(Folded);
  endResetModel();
}

const TEntry* TCommentListModel::GetEntry(int row) const {
  if (row < 0 || row >= GetEntryCount())
    return nullptr;
  return &Entries[static_cast<std::size_t>(row)];
}

void TCommentListModel::SetComment(int row, const std::string& comment) {
  if (!GetEntry(row))
    return;
  TEntry& entry = Entries[static_cast<std::size_t>(row)];
  entry.SetComment(comment);
  Folded[static_cast<std::size_t>(row)] = FoldedForSearch(SearchText(entry));
  emit dataChanged(index(row, 0), index(row, ColumnCount - 1));
}

bool TCommentListModel::Matches(int row, const QStringList& foldedTerms) const {
  if (!GetEntry(row))
    return true;
  const QString& text = Folded[static_cast<std::size_t>(row)];
  return std::all_of(foldedTerms.begin(), foldedTerms.end(),
                     [&text](const QString& term) { return text.contains(term); });
}

int TCommentListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : std::max(GetEntryCount(), 1);
}

int TCommentListModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : ColumnCount;
}

QVariant TCommentListModel::data(const QModelIndex& index, int role) const {
  const TEntry* entry = GetEntry(index.row());
  if (!entry || (role != Qt::DisplayRole && role != Qt::ToolTipRole))
    return {};
  const QString shown = ShownText(CellText(*entry, index.column()));
  if (role == Qt::ToolTipRole)
    return ShownToolTip(shown);
  return index.column() == ColumnUrl ? AddressInSite(shown) : shown;
}

QVariant TCommentListModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < ColumnCount)
    return ColumnTitles[section];
  return QAbstractTableModel::headerData(section, orientation, role);
}

// The empty row of a project without entries cannot be selected.
Qt::ItemFlags TCommentListModel::flags(const QModelIndex& index) const {
  if (!GetEntry(index.row()))
    return Qt::ItemIsEnabled;
  return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}

std::string TCommentListModel::CellText(const TEntry& entry, int column) const {
  switch (column) {
  case ColumnUrl:
    return entry.GetUrl();
  case ColumnDate:
    return FormatDate(entry.GetDate());
  case ColumnTitle:
    return entry.GetTitle();
  case ColumnCategories:
    return CategoryCommaText(entry.GetCategoryIds(), Categories);
  case ColumnComment:
    return entry.GetComment();
  }
  return {};
}

QString TCommentListModel::SearchText(const TEntry& entry) const {
  return QString::fromStdString(entry.GetTitle() + '\n' + entry.GetUrl() + '\n' +
                                CategoryCommaText(entry.GetCategoryIds(), Categories) + '\n' +
                                entry.GetComment());
}
