#include "ui/Tformmakinghtmlstatus.h"

#include "toc/Tgenerationexportjob.h"
#include "toc/Ttemplateprogramwatcher.h"
#include "ui/Tprompts.h"
#include "ui_Tformmakinghtmlstatus.h"

#include <QApplication>

#include <exception>

TFormMakingHtmlStatus::TFormMakingHtmlStatus(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint), Form(std::make_unique<Ui::TFormMakingHtmlStatus>()) {
  Form->setupUi(this);
}

TFormMakingHtmlStatus::~TFormMakingHtmlStatus() {
  if (Running)
    QApplication::restoreOverrideCursor();
}

void TFormMakingHtmlStatus::SetDataFile(const std::string& path) {
  Run.SetDataFile(path);
}

void TFormMakingHtmlStatus::SetHtmlConfig(const std::vector<std::string>& lines) {
  Run.SetHtmlConfig(lines);
}

void TFormMakingHtmlStatus::SetDb(TProjectDb* db) {
  Run.SetDb(db);
}

void TFormMakingHtmlStatus::SetTemplate(const THtmlTemplate* htmlTemplate) {
  Run.SetTemplate(htmlTemplate);
}

void TFormMakingHtmlStatus::SetOutputFile(const std::string& path) {
  Run.SetOutputFile(path);
}

void TFormMakingHtmlStatus::reject() {
  if (!Running)
    QDialog::reject();
}

void TFormMakingHtmlStatus::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (!Started)
    Start();
}

void TFormMakingHtmlStatus::Start() {
  Started = true;
  Running = true;
  QApplication::setOverrideCursor(Qt::WaitCursor);
  Export = std::make_unique<TGenerationExportJob>(Run);
  connect(Export.get(), &TGenerationExportJob::Finished, this, &TFormMakingHtmlStatus::ExportFinished);
  connect(Export.get(), &TGenerationExportJob::Failed, this, &TFormMakingHtmlStatus::Fail);
  Export->Start();
}

void TFormMakingHtmlStatus::ExportFinished() {
  try {
    if (Watcher)
      Watcher->Start(Run);
    else
      Run.StartDetached();
  } catch (const std::exception& e) {
    Run.RemoveGenerationDb();
    Fail(QString::fromUtf8(e.what()));
    return;
  }
  Stop();
  Outcome = {TMakingHtmlOutcome::Kind::Started, QString()};
  accept();
}

void TFormMakingHtmlStatus::Fail(const QString& message) {
  Stop();
  Outcome = {TMakingHtmlOutcome::Kind::Failed, message};
  TPrompts::Get().Message(this, TPrompts::Icon::Error, message);
  QDialog::reject();
}

void TFormMakingHtmlStatus::Stop() {
  Running = false;
  QApplication::restoreOverrideCursor();
}
