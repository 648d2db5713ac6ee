#include "app/Tformmain.h"

#include "store/Tcomment.h"
#include "store/Tentry.h"
#include "ui/Tbusycursor.h"
#include "ui/Tcommentcolumns.h"
#include "ui/Tcommentdelegate.h"
#include "ui/Tcommentfilter.h"
#include "ui/Tcommentlistmodel.h"
#include "ui/Tformcomment.h"
#include "ui/Tprompts.h"
#include "ui_Tformmain.h"

#include <QTimer>
#include <QUrl>

#include <algorithm>
#include <vector>

namespace {

using namespace Qt::StringLiterals;

// Typing pauses this long before the table is filtered, so that a word typed
// quickly filters a large table once.
constexpr int CommentFilterDelayMs = 200;
constexpr int CommentLines = 2;
constexpr int CountLabelSlack = 4;

}

void TFormMain::CreateCommentPage() {
  CommentList = new TCommentListModel(this);
  CommentFilter = new TCommentFilter(*CommentList, this);
  QTableView* grid = Form->GridComment;
  grid->setModel(CommentFilter);
  grid->setItemDelegate(new TCommentDelegate(grid));
  // One height for all rows: measuring each row of a large table takes seconds.
  grid->verticalHeader()->setDefaultSectionSize(TCommentDelegate::RowHeight(grid->font(), CommentLines));
  // A double click and Enter both activate a row.
  connect(grid, &QAbstractItemView::activated, Form->ActionCommentEdit, &QAction::trigger);

  CommentFilterDelay = new QTimer(this);
  CommentFilterDelay->setObjectName(u"CommentFilterDelay"_s);
  CommentFilterDelay->setSingleShot(true);
  CommentFilterDelay->setInterval(CommentFilterDelayMs);
  connect(Form->EditCommentFilter, &QLineEdit::textChanged, CommentFilterDelay, qOverload<>(&QTimer::start));
  connect(CommentFilterDelay, &QTimer::timeout, this,
          [this] { CommentFilter->SetQuery(Form->EditCommentFilter->text()); });
  connect(CommentFilter, &QAbstractItemModel::modelReset, this, &TFormMain::ShowCommentCount);
  connect(CommentFilter, &QAbstractItemModel::layoutChanged, this, &TFormMain::ShowCommentCount);
  connect(CommentFilter, &QAbstractItemModel::rowsInserted, this, &TFormMain::ShowCommentCount);
  connect(CommentFilter, &QAbstractItemModel::rowsRemoved, this, &TFormMain::ShowCommentCount);
  Form->LabelCommentCount->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  ShowCommentCount();
}

// The lists are read again each time the page is shown and freed when it is left,
// so that the page shows the latest downloads and edits.
void TFormMain::PageControl1Change() {
  CommentList->Clear();
  if (Form->PageControl1->currentWidget() != Form->TabSheetComment)
    return;
  TBusyCursor busy;
  std::vector<TEntry> entries = LoadEntries(*Db);
  CommentList->Load(std::move(entries), LoadCategories(*Db));
  WidestTitle = CommentColumns::WidestTitle(*Form->GridComment, *CommentList);
  FormResize();
}

// A download started from the menu while the page shows lists what it read at once.
void TFormMain::ShowDownloadedEntries() {
  if (Form->PageControl1->currentWidget() == Form->TabSheetComment)
    PageControl1Change();
}

// The comment is stored before the row shows it, so that a failed store leaves
// the row as the database has it.
void TFormMain::ActionCommentEditExecute() {
  const int row = SelectedCommentRow();
  if (row < 0)
    return;
  TEntry entry = *CommentList->GetEntry(row);
  TFormComment dialog(this);
  dialog.SetUrl(QString::fromStdString(entry.GetUrl()));
  dialog.SetTitle(QString::fromStdString(entry.GetTitle()));
  dialog.SetComment(QString::fromStdString(entry.GetComment()));
  if (dialog.exec() != QDialog::Accepted)
    return;
  entry.SetComment(dialog.GetComment().toStdString());
  SaveComment(*Db, entry);
  CommentList->SetComment(row, entry.GetComment());
  SetModified(true);
}

void TFormMain::ActionCommentOpenUrlExecute() {
  const int row = SelectedCommentRow();
  if (row < 0)
    return;
  TPrompts::Get().OpenUrl(QUrl(QString::fromStdString(CommentList->GetEntry(row)->GetUrl())));
}

int TFormMain::SelectedCommentRow() const {
  const QModelIndexList selected = Form->GridComment->selectionModel()->selectedRows();
  if (selected.isEmpty())
    return -1;
  const int row = CommentFilter->mapToSource(selected.front()).row();
  return CommentList->GetEntry(row) ? row : -1;
}

void TFormMain::ShowCommentCount() {
  const int entries = CommentList->GetEntryCount();
  const int shown = std::min(CommentFilter->rowCount(), entries);
  Form->LabelCommentCount->setText(u"%1 件中 %2 件"_s.arg(entries).arg(shown));
  // As wide as the count of every entry, so that the filter box keeps its width
  // while its words change the count.
  const QString widest = u"%1 件中 %1 件"_s.arg(QString(QString::number(entries).size(), u'8'));
  Form->LabelCommentCount->setMinimumWidth(Form->LabelCommentCount->fontMetrics().horizontalAdvance(widest) +
                                           CountLabelSlack);
}
