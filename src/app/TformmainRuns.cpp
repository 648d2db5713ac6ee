#include "app/Tformmain.h"

#include "app/Toutputnotice.h"
#include "toc/Ttemplateprogramwatcher.h"
#include "ui/Tprompts.h"

#include <QStatusBar>
#include <QTimer>

namespace {

using namespace Qt::StringLiterals;

const QString RunningQuestion =
    u"テンプレートプログラムが実行中です。\n終わるまで待ちますか、中止しますか、それとも実行したまま閉じますか？"_s;
const QString WarningsMessage = u"目次を作成しましたが、テンプレートプログラムからの警告があります。"_s;
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
void ShowProgramOutput(QWidget* parent, TPrompts::Icon icon, const QString& summary, const QString& standardError) {
  const QString errors = standardError.trimmed();
  if (errors.isEmpty()) {
    TPrompts::Get().Message(parent, icon, summary);
    return;
  }
  const QString last = LastLines(errors);
  TPrompts::Get().MessageWithDetails(parent, icon, summary + u"\n\n"_s + last, last == errors ? QString() : errors);
}

void ShowProgramError(QWidget* parent, const QString& summary, const QString& standardError) {
  ShowProgramOutput(parent, TPrompts::Icon::Error, summary, standardError);
}

// A run that succeeded may still have had something to say, such as a setting
// value it did not know.
void ShowProgramWarnings(QWidget* parent, const QString& standardError) {
  if (!standardError.trimmed().isEmpty())
    ShowProgramOutput(parent, TPrompts::Icon::Warning, WarningsMessage, standardError);
}

QString ExitMessage(int exitStatus) {
  return u"テンプレートプログラムがエラーで終了しました（終了コード %1）。"_s.arg(exitStatus);
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
            if (exitStatus == 0) {
              notice->ShowDone(outputFile);
              ShowProgramWarnings(this, standardError);
            } else {
              ShowProgramError(this, ExitMessage(exitStatus), standardError);
            }
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
