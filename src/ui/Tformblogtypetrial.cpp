#include "ui/Tformblogtypetrial.h"
#include "ui_Tformblogtypetrial.h"

#include "ui/ShownText.h"
#include "ui/Tschemeprompt.h"

#include <QHeaderView>
#include <QStyle>
#include <QThread>

#include <algorithm>
#include <exception>

using namespace Qt::StringLiterals;

namespace {

constexpr int ColumnFunction = 0;
constexpr int ColumnResult = 1;
constexpr int ColumnTime = 2;
constexpr int ColumnDate = 3;
constexpr int ColumnError = 4;
// An address row's address; a function row's whole result.
constexpr int AddressRole = Qt::UserRole;
constexpr int ResultRole = Qt::UserRole + 1;

QString FaultText(const TScriptFault& fault) {
  const QString message = ShownText(fault.Message);
  return fault.Line > 0 ? u"%1 行目: %2"_s.arg(fault.Line).arg(message) : message;
}

// One line of a cell: the line breaks of a result shown as marks, tabs as blanks.
QString OneLine(const std::string& text) {
  return ShownText(text)
      .replace(u"\r\n"_s, u" ↵ "_s)
      .replace(u'\n', u" ↵ "_s)
      .replace(u'\r', u" ↵ "_s)
      .replace(u'\t', u"  "_s);
}

void MarkFailed(QTreeWidgetItem* item, QStyle* style) {
  item->setIcon(ColumnFunction, style->standardIcon(QStyle::SP_MessageBoxWarning));
  for (int column = 0; column < item->columnCount(); ++column)
    item->setForeground(column, Qt::red);
}

QTreeWidgetItem* AddressItem(const std::string& address) {
  auto* item = new QTreeWidgetItem;
  item->setText(ColumnFunction, u"URL"_s);
  item->setText(ColumnResult, ShownText(address));
  item->setData(ColumnResult, AddressRole, QString::fromStdString(address));
  item->setToolTip(ColumnResult, u"クリックするとこのページを取得します"_s);
  QFont font = item->font(ColumnResult);
  font.setUnderline(true);
  item->setFont(ColumnResult, font);
  item->setForeground(ColumnResult, QColor(0, 0, 0xc0));
  return item;
}

}

TFormBlogTypeTrial::TFormBlogTypeTrial(QWidget* parent) : QDialog(parent), Form(std::make_unique<Ui::TFormBlogTypeTrial>()) {
  Form->setupUi(this);
  Form->EditUrl->setAttribute(Qt::WA_InputMethodEnabled, false);
  Form->ProgressBusy->hide();
  Form->TreeResult->header()->setSectionResizeMode(ColumnResult, QHeaderView::Stretch);
  Form->TreeResult->header()->setStretchLastSection(false);
  Form->TreeResult->setColumnWidth(ColumnFunction, 170);
  Form->TreeResult->setColumnWidth(ColumnTime, 60);
  Form->TreeResult->setColumnWidth(ColumnDate, 140);
  Form->TreeResult->setColumnWidth(ColumnError, 160);
  Form->Splitter->setStretchFactor(0, 3);
  Form->Splitter->setStretchFactor(1, 1);
  connect(Form->ButtonFetch, &QPushButton::clicked, this, &TFormBlogTypeTrial::Fetch);
  connect(Form->EditUrl, &QLineEdit::returnPressed, this, &TFormBlogTypeTrial::Fetch);
  connect(Form->ButtonBack, &QPushButton::clicked, this, &TFormBlogTypeTrial::Back);
  connect(Form->ButtonReload, &QPushButton::clicked, this, &TFormBlogTypeTrial::Reload);
  connect(Form->ButtonCancel, &QPushButton::clicked, this, &TFormBlogTypeTrial::Cancel);
  connect(Form->ButtonClose, &QPushButton::clicked, this, &TFormBlogTypeTrial::reject);
  connect(Form->TreeResult, &QTreeWidget::itemClicked, this, &TFormBlogTypeTrial::ItemClicked);
  connect(Form->TreeResult, &QTreeWidget::currentItemChanged, this, &TFormBlogTypeTrial::ShowDetail);
}

// Closed while a trial runs (the program ending): the thread must not outlive it.
TFormBlogTypeTrial::~TFormBlogTypeTrial() {
  if (!Worker)
    return;
  Trial->Cancel();
  Worker->wait();
}

void TFormBlogTypeTrial::SetBlogTypeFolder(const std::string& folder, const std::string& selectedFileName) {
  BlogTypeFolder = folder;
  LoadBlogTypes(selectedFileName);
}

void TFormBlogTypeTrial::SetUrl(const QString& url) {
  Form->EditUrl->setText(url);
}

void TFormBlogTypeTrial::LoadBlogTypes(const std::string& selectedFileName) {
  TBlogConfigManager manager;
  if (BlogTypeFolder.empty())
    manager.Load();
  else
    manager.LoadFrom(BlogTypeFolder);
  BlogTypes = manager.GetBlogConfigs();
  Form->ComboBlogType->clear();
  const std::vector<std::string> labels = BlogTypeLabels(BlogTypes);
  for (const std::string& label : labels)
    Form->ComboBlogType->addItem(ShownText(label));
  const auto selected = std::find_if(BlogTypes.begin(), BlogTypes.end(), [&](const TBlogConfig& blogType) {
    return blogType.GetFileName() == selectedFileName;
  });
  Form->ComboBlogType->setCurrentIndex(selected == BlogTypes.end() ? 0 : static_cast<int>(selected - BlogTypes.begin()));
  QStringList problems;
  for (const std::string& problem : manager.GetLoadErrors())
    problems << ShownText(problem);
  if (!problems.isEmpty())
    ShowStatus(problems.join(u' '), true);
}

std::string TFormBlogTypeTrial::SelectedFileName() const {
  const int index = Form->ComboBlogType->currentIndex();
  return index < 0 ? std::string() : BlogTypes[static_cast<size_t>(index)].GetFileName();
}

void TFormBlogTypeTrial::Reload() {
  try {
    ShowStatus(u"ブログの種類を読み直しました。"_s, false);
    LoadBlogTypes(SelectedFileName());
  } catch (const std::exception& e) {
    ShowStatus(ShownText(std::string(e.what())), true);
  }
}

void TFormBlogTypeTrial::Fetch() {
  const QString typed = Form->EditUrl->text();
  if (typed.trimmed().isEmpty()) {
    FetchUrl(QString());
    return;
  }
  if (const std::optional<QString> url = AskToCompleteScheme(this, typed))
    FetchUrl(*url);
}

void TFormBlogTypeTrial::FetchUrl(const QString& url) {
  if (Worker)
    return;
  const int index = Form->ComboBlogType->currentIndex();
  if (index < 0) {
    ShowStatus(u"ブログの種類がありません。"_s, true);
    return;
  }
  if (url.isEmpty()) {
    ShowStatus(u"URL を入力してください。"_s, true);
    return;
  }
  Form->EditUrl->setText(url);
  const TBlogConfig blogType = BlogTypes[static_cast<size_t>(index)];
  const std::string address = url.toStdString();
  Trial = std::make_unique<BlogTypeTrial>();
  Failure.clear();
  Worker.reset(QThread::create([this, blogType, address] {
    try {
      Report = Trial->Run(blogType, address);
    } catch (const std::exception& e) {
      Failure = e.what();
    }
  }));
  connect(Worker.get(), &QThread::finished, this, &TFormBlogTypeTrial::Finished);
  SetBusy(true);
  ShowStatus(u"取得しています: %1"_s.arg(ShownText(url)), false);
  Worker->start();
}

void TFormBlogTypeTrial::ItemClicked(QTreeWidgetItem* item) {
  const QString address = item->data(ColumnResult, AddressRole).toString();
  if (address.isEmpty() || Worker)
    return;
  History.push_back(Form->EditUrl->text().trimmed());
  FetchUrl(address);
}

void TFormBlogTypeTrial::Back() {
  if (History.empty() || Worker)
    return;
  const QString url = History.back();
  History.pop_back();
  FetchUrl(url);
}

void TFormBlogTypeTrial::Cancel() {
  if (Trial && Worker)
    Trial->Cancel();
}

// Esc and Close while a trial runs: it stops at once, then the dialog closes.
void TFormBlogTypeTrial::reject() {
  if (!Worker) {
    QDialog::reject();
    return;
  }
  CloseWhenDone = true;
  Cancel();
}

void TFormBlogTypeTrial::Finished() {
  Worker->wait();
  Worker.reset();
  Trial.reset();
  SetBusy(false);
  if (CloseWhenDone) {
    QDialog::reject();
    return;
  }
  if (!Failure.empty()) {
    ShowStatus(ShownText(Failure), true);
    return;
  }
  ShowReport(Report);
}

void TFormBlogTypeTrial::SetBusy(bool busy) {
  Form->ProgressBusy->setVisible(busy);
  Form->ButtonCancel->setEnabled(busy);
  Form->ButtonFetch->setEnabled(!busy);
  Form->ButtonReload->setEnabled(!busy);
  Form->ButtonBack->setEnabled(!busy && !History.empty());
  Form->ComboBlogType->setEnabled(!busy);
  Form->EditUrl->setReadOnly(busy);
  if (busy)
    Form->ButtonCancel->setFocus();
  else
    Form->EditUrl->setFocus();
}

void TFormBlogTypeTrial::ShowStatus(const QString& text, bool failed) {
  Form->LabelStatus->setText(text);
  Form->LabelStatus->setToolTip(ShownToolTip(text));
  Form->LabelStatus->setStyleSheet(failed ? u"color: red;"_s : QString());
}

void TFormBlogTypeTrial::ShowReport(const TTrialReport& report) {
  Form->TreeResult->clear();
  Form->MemoDetail->clear();
  Form->EditUrl->setText(QString::fromStdString(report.Url));
  if (report.LoadError) {
    auto* item = new QTreeWidgetItem(Form->TreeResult);
    item->setText(ColumnFunction, u"(読み込み)"_s);
    item->setText(ColumnError, FaultText(*report.LoadError));
    item->setToolTip(ColumnError, ShownToolTip(FaultText(*report.LoadError)));
    MarkFailed(item, style());
  }
  for (const TTrialCall& call : report.Calls) {
    auto* item = new QTreeWidgetItem(Form->TreeResult);
    item->setText(ColumnFunction, QString::fromStdString(call.Function));
    item->setText(ColumnResult, OneLine(call.Result));
    item->setData(ColumnFunction, ResultRole, ShownText(call.Result));
    item->setText(ColumnTime, u"%1 ms"_s.arg(call.Milliseconds));
    item->setTextAlignment(ColumnTime, Qt::AlignRight | Qt::AlignVCenter);
    item->setText(ColumnDate, QString::fromStdString(call.Date));
    if (call.Error) {
      item->setData(ColumnFunction, ResultRole, FaultText(*call.Error));
      item->setText(ColumnError, FaultText(*call.Error));
      item->setToolTip(ColumnError, ShownToolTip(FaultText(*call.Error)));
      MarkFailed(item, style());
    }
    for (const std::string& address : call.Addresses)
      item->addChild(AddressItem(address));
    item->setExpanded(true);
  }
  const bool failed = report.HasErrors();
  ShowStatus(u"%1 (%2)"_s.arg(ShownText(report.Url), failed ? u"スクリプトのエラーがあります"_s : u"エラーはありません"_s),
             failed);
}

void TFormBlogTypeTrial::ShowDetail() {
  const QTreeWidgetItem* item = Form->TreeResult->currentItem();
  if (!item) {
    Form->MemoDetail->clear();
    return;
  }
  const QVariant address = item->data(ColumnResult, AddressRole);
  Form->MemoDetail->setPlainText(address.isValid() ? ShownText(address.toString())
                                                   : item->data(ColumnFunction, ResultRole).toString());
}
