#pragma once

#include "toc/Tgenerationrun.h"

#include <QDialog>
#include <QString>

#include <memory>
#include <string>
#include <vector>

class TGenerationExportJob;
class THtmlTemplate;
class TProjectDb;
class TTemplateProgramWatcher;

namespace Ui {
class TFormMakingHtmlStatus;
}

// How a make run went as far as the status dialog saw it.
struct TMakingHtmlOutcome {
  enum class Kind {
    NotRun,
    // The export or the start of the template program failed; Message says why
    // and has been shown.
    Failed,
    // The template program was started; the watcher reports how it ends.
    Started,
  };
  Kind Result = Kind::NotRun;
  QString Message;
};

// The make run's status dialog, without frame or buttons. exec() exports the
// generation database on a worker thread while the dialog shows, then starts the
// template program through the watcher and closes. A failure is shown in an error
// box before the dialog closes.
class TFormMakingHtmlStatus : public QDialog {
  Q_OBJECT

public:
  explicit TFormMakingHtmlStatus(QWidget* parent = nullptr);
  ~TFormMakingHtmlStatus() override;

  void SetDataFile(const std::string& path);
  void SetHtmlConfig(const std::vector<std::string>& lines);
  void SetDb(TProjectDb* db);
  // The template stays the caller's and must live as long as the dialog.
  void SetTemplate(const THtmlTemplate* htmlTemplate);
  void SetOutputFile(const std::string& path);
  // The caller's watcher, which outlives the dialog and tells how the program ends;
  // it must not be running a program already. Without one the program is started
  // detached and nobody learns how it ends.
  void SetWatcher(TTemplateProgramWatcher* watcher) { Watcher = watcher; }

  const TMakingHtmlOutcome& GetOutcome() const { return Outcome; }

  // Nothing closes the dialog while the export runs.
  void reject() override;

protected:
  void showEvent(QShowEvent* event) override;

private:
  void Start();
  void ExportFinished();
  void Fail(const QString& message);
  void Stop();

  const std::unique_ptr<Ui::TFormMakingHtmlStatus> Form;
  TGenerationRun Run;
  // Declared after the run: destroying it waits for an export still running on the run.
  std::unique_ptr<TGenerationExportJob> Export;
  TTemplateProgramWatcher* Watcher = nullptr;
  TMakingHtmlOutcome Outcome;
  bool Started = false;
  bool Running = false;
};
