#include "app/Tformmain.h"

#include "app/Tkappmessages.h"
#include "app/Toutputnotice.h"
#include "toc/Tktemplatesettings.h"
#include "toc/Ttemplateprogramwatcher.h"
#include "ui/Tformmakinghtmlstatus.h"
#include "ui/Tprompts.h"
#include "ui_Tformmain.h"

#include <QSignalBlocker>
#include <QStatusBar>
#include <QTimer>

#include <stdexcept>

namespace {

using namespace Qt::StringLiterals;

const QString HtmlFilter = u"HTMLファイル (*.htm *.html);;すべてのファイル (*)"_s;

// The save dialog starts from the file chosen last in this run.
QString LastOutputFile;

// Filling the editor is no edit of the user's, so it does not mark the project
// modified.
void ShowSettingRows(QTableWidget& editor, const TTemplateSettingRows& rows) {
  const QSignalBlocker blocker(editor);
  editor.setRowCount(0);
  editor.setRowCount(static_cast<int>(rows.Rows().size()));
  int row = 0;
  for (const TTemplateSettingRow& setting : rows.Rows()) {
    auto* name = new QTableWidgetItem(QString::fromStdString(setting.Name));
    name->setFlags(name->flags() & ~Qt::ItemIsEditable);
    editor.setItem(row, 0, name);
    editor.setItem(row, 1, new QTableWidgetItem(QString::fromStdString(setting.Value)));
    ++row;
  }
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

const QString RunningQuestion =
    u"テンプレートプログラムが実行中です。\n終わるまで待ちますか、中止しますか、それとも実行したまま閉じますか？"_s;
enum RunningAnswer { AnswerWait, AnswerStop, AnswerLeave, AnswerKeepOpen };

constexpr int ShownErrorLines = 15;
constexpr int ShownLineLength = 200;

// The last lines of a program's standard error, each short enough for a box.
QString LastLines(const QString& text) {
  QStringList lines = text.split(u'\n');
  if (lines.size() > ShownErrorLines)
    lines = lines.mid(lines.size() - ShownErrorLines);
  for (QString& line : lines)
    if (line.size() > ShownLineLength)
      line = line.left(ShownLineLength) + u"…"_s;
  return lines.join(u'\n');
}

// What happened, with the last lines of the program's standard error; what was
// kept of it is behind 詳細 when those lines do not show it all.
void ShowProgramError(QWidget* parent, const QString& summary, const QString& standardError) {
  const QString errors = standardError.trimmed();
  if (errors.isEmpty()) {
    TPrompts::Get().Message(parent, TPrompts::Icon::Error, summary);
    return;
  }
  const QString last = LastLines(errors);
  TPrompts::Get().MessageWithDetails(parent, TPrompts::Icon::Error, summary + u"\n\n"_s + last,
                                     last == errors ? QString() : errors);
}

QString ExitMessage(int exitStatus) {
  return u"テンプレートプログラムがエラーで終了しました（終了コード %1）。"_s.arg(exitStatus);
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
  ShowSettingRows(*Form->EditHtmlConf, TTemplateSettingRows(GetSelectedTemplate().GetConfig()));
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
  TTemplateSettingRows rows(list->currentIndex() < 0 ? std::vector<std::string>()
                                                      : GetSelectedTemplate().GetConfig());
  rows.ApplySaved(project.GetHtmlSettings());
  ShowSettingRows(*Form->EditHtmlConf, rows);
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

// Each run has its own notice; those of runs that are over make room.
TOutputNotice* TFormMain::AddOutputNotice(const QString& outputFile) {
  for (TOutputNotice* old : statusBar()->findChildren<TOutputNotice*>())
    if (old->IsDone())
      delete old;
  auto* notice = new TOutputNotice(statusBar());
  // A permanent widget stays while a status tip shows.
  statusBar()->addPermanentWidget(notice, 1);
  notice->ShowRunning(outputFile);
  return notice;
}

void TFormMain::WatchTemplateProgram(TTemplateProgramWatcher* watcher, TOutputNotice* notice,
                                     const QString& outputFile) {
  connect(notice, &TOutputNotice::StopRequested, watcher, &TTemplateProgramWatcher::Stop);
  const auto ended = [this, watcher, notice](bool keepNotice) {
    watcher->deleteLater();
    if (!keepNotice)
      notice->deleteLater();
    if (CloseWhenProgramsEnd && RunningTemplatePrograms().isEmpty())
      QTimer::singleShot(0, this, &QWidget::close);
  };
  connect(watcher, &TTemplateProgramWatcher::Finished, this,
          [this, notice, outputFile, ended](int exitStatus, const QString& standardError) {
            if (exitStatus == 0)
              notice->ShowDone(outputFile);
            else
              ShowProgramError(this, ExitMessage(exitStatus), standardError);
            ended(exitStatus == 0);
          });
  connect(watcher, &TTemplateProgramWatcher::Failed, this,
          [this, ended](const QString& message, const QString& standardError) {
            ShowProgramError(this, message, standardError);
            ended(false);
          });
  connect(watcher, &TTemplateProgramWatcher::Stopped, this, [ended] { ended(false); });
}

QList<TTemplateProgramWatcher*> TFormMain::RunningTemplatePrograms() const {
  QList<TTemplateProgramWatcher*> running;
  for (TTemplateProgramWatcher* watcher : findChildren<TTemplateProgramWatcher*>(Qt::FindDirectChildrenOnly))
    if (watcher->IsRunning())
      running.append(watcher);
  return running;
}

// Closing while programs run: wait for them, stop them, or leave them running.
// Waiting and stopping close the window once they have ended.
bool TFormMain::AskToCloseWithPrograms() {
  CloseWhenProgramsEnd = false;
  const QList<TTemplateProgramWatcher*> running = RunningTemplatePrograms();
  if (running.isEmpty())
    return true;
  const int answer = TPrompts::Get().Choose(
      this, TPrompts::Icon::Question, RunningQuestion,
      {u"終わるまで待つ"_s, u"中止して閉じる"_s, u"実行したまま閉じる"_s, u"キャンセル"_s}, AnswerKeepOpen);
  if (answer == AnswerWait || answer == AnswerStop) {
    CloseWhenProgramsEnd = true;
    if (answer == AnswerStop)
      for (TTemplateProgramWatcher* watcher : running)
        watcher->Stop();
  }
  return answer == AnswerLeave;
}

void TFormMain::LeaveTemplateProgramsRunning() {
  for (TTemplateProgramWatcher* watcher : RunningTemplatePrograms())
    watcher->Release();
}
