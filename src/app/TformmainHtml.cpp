#include "app/Tformmain.h"

#include "app/Tkappmessages.h"
#include "app/Toutputnotice.h"
#include "toc/Tktemplatesettings.h"
#include "toc/Ttemplateprogramwatcher.h"
#include "ui/Tchoicedelegate.h"
#include "ui/Tformmakinghtmlstatus.h"
#include "ui/Tprompts.h"
#include "ui_Tformmain.h"

#include <QSignalBlocker>

#include <algorithm>
#include <optional>
#include <stdexcept>

namespace {

using namespace Qt::StringLiterals;

const QString HtmlFilter = u"HTMLファイル (*.htm *.html);;すべてのファイル (*)"_s;

// The names' column fits the longest name within these; the values take the rest.
constexpr int NameMinWidth = 150;
constexpr int NameMaxWidth = 250;

// The save dialog starts from the file chosen last in this run.
QString LastOutputFile;

// A setting with declared values is edited with a drop-down of them, and an empty
// value shows the one it stands for.
QTableWidgetItem* ValueItem(const TTemplateSettingRow& setting, const THtmlTemplate* htmlTemplate) {
  const TSettingChoices* choices = htmlTemplate ? htmlTemplate->GetChoices(setting.Name) : nullptr;
  if (!choices)
    return new QTableWidgetItem(QString::fromStdString(setting.Value));
  auto* item = new QTableWidgetItem(QString::fromStdString(setting.Value.empty() ? choices->Default : setting.Value));
  QStringList values;
  for (const std::string& value : choices->Values)
    values << QString::fromStdString(value);
  item->setData(TChoiceDelegate::ChoicesRole, values);
  return item;
}

// Filling the editor is no edit of the user's, so it does not mark the project
// modified.
void ShowSettingRows(QTableWidget& editor, const TTemplateSettingRows& rows, const THtmlTemplate* htmlTemplate) {
  const QSignalBlocker blocker(editor);
  editor.setRowCount(0);
  editor.setRowCount(static_cast<int>(rows.Rows().size()));
  int row = 0;
  for (const TTemplateSettingRow& setting : rows.Rows()) {
    auto* name = new QTableWidgetItem(QString::fromStdString(setting.Name));
    name->setFlags(name->flags() & ~Qt::ItemIsEditable);
    editor.setItem(row, 0, name);
    editor.setItem(row, 1, ValueItem(setting, htmlTemplate));
    ++row;
  }
  editor.resizeColumnToContents(0);
  editor.setColumnWidth(0, std::clamp(editor.columnWidth(0), NameMinWidth, NameMaxWidth));
}

TTemplateSettingRows ReadSettingRows(const QTableWidget& editor) {
  std::vector<std::string> names;
  for (int row = 0; row < editor.rowCount(); ++row)
    names.push_back(editor.item(row, 0)->text().toStdString());
  TTemplateSettingRows rows(names);
  for (int row = 0; row < editor.rowCount(); ++row)
    rows.SetValue(static_cast<std::size_t>(row), editor.item(row, 1)->text().toStdString());
  return rows;
}

}

// The startup step; the list is not filled again while the program runs, so the
// editor's edits are watched from here on.
void TFormMain::FillTemplateList() {
  QComboBox* list = Form->ComboBoxHtmlTemplate;
  list->clear();
  for (const THtmlTemplate& htmlTemplate : Templates.GetTemplates())
    list->addItem(QString::fromStdString(htmlTemplate.GetName()));
  if (list->count() > 0) {
    list->setCurrentIndex(0);
    LoadTemplateSettings();
  }
  connect(Form->EditHtmlConf, &QTableWidget::itemChanged, this, [this] { SetModified(true); });
}

THtmlTemplate TFormMain::GetSelectedTemplate() const {
  const int index = Form->ComboBoxHtmlTemplate->currentIndex();
  if (index < 0)
    throw std::out_of_range("no template is selected");
  return Templates.GetTemplates().at(static_cast<std::size_t>(index));
}

void TFormMain::LoadTemplateSettings() {
  const THtmlTemplate htmlTemplate = GetSelectedTemplate();
  ShowSettingRows(*Form->EditHtmlConf, TTemplateSettingRows(htmlTemplate.GetConfig()), &htmlTemplate);
  LoadedTemplateIndex = Form->ComboBoxHtmlTemplate->currentIndex();
}

void TFormMain::ComboBoxHtmlTemplateChange() {
  if (Form->ComboBoxHtmlTemplate->currentIndex() == LoadedTemplateIndex)
    return;
  LoadTemplateSettings();
  SetModified(true);
}

// Without any template the saved settings still fill the editor, so that saving
// the project again keeps them.
void TFormMain::ApplyTemplateSettings(const TProject& project) {
  QComboBox* list = Form->ComboBoxHtmlTemplate;
  const int match = list->findText(QString::fromStdString(project.GetHtmlTemplateName()));
  if (match >= 0)
    list->setCurrentIndex(match);
  const std::optional<THtmlTemplate> htmlTemplate =
      list->currentIndex() < 0 ? std::nullopt : std::optional(GetSelectedTemplate());
  TTemplateSettingRows rows(htmlTemplate ? htmlTemplate->GetConfig() : std::vector<std::string>());
  rows.ApplySaved(project.GetHtmlSettings());
  ShowSettingRows(*Form->EditHtmlConf, rows, htmlTemplate ? &*htmlTemplate : nullptr);
  LoadedTemplateIndex = list->currentIndex();
}

void TFormMain::CollectTemplateSettings(TProject& project) {
  project.SetHtmlTemplateName(Form->ComboBoxHtmlTemplate->currentText().toStdString());
  project.SetHtmlSettings(ReadSettingRows(*Form->EditHtmlConf).ToSettings());
}

// The template program runs on after the status dialog has closed; its watcher
// and its notice in the status bar stay until it has ended.
void TFormMain::ActionHtmlMakeExecute() {
  if (Form->ComboBoxHtmlTemplate->currentIndex() < 0) {
    TPrompts::Get().Message(this, TPrompts::Icon::Warning, QString::fromUtf8(NoTemplateMessage));
    return;
  }
  const std::optional<QString> outputFile =
      TPrompts::Get().SaveFileName(this, u"目次の保存先"_s, LastOutputFile, HtmlFilter, u"html"_s);
  if (!outputFile)
    return;
  LastOutputFile = *outputFile;

  const THtmlTemplate htmlTemplate = GetSelectedTemplate();
  auto* watcher = new TTemplateProgramWatcher(this);
  TOutputNotice* notice = AddOutputNotice(*outputFile);
  WatchTemplateProgram(watcher, notice, *outputFile);

  TFormMakingHtmlStatus dialog(this);
  dialog.SetDataFile(GetDbFolder() + "html.mdb");
  dialog.SetHtmlConfig(ReadSettingRows(*Form->EditHtmlConf).Lines());
  dialog.SetDb(Db.get());
  dialog.SetTemplate(&htmlTemplate);
  dialog.SetOutputFile(outputFile->toStdString());
  dialog.SetWatcher(watcher);
  dialog.exec();
  if (dialog.GetOutcome().Result != TMakingHtmlOutcome::Kind::Started) {
    delete notice;
    delete watcher;
  }
}
