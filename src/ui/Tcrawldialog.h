#pragma once

#include <QDialog>

#include <memory>
#include <string>

class QLabel;
class QPlainTextEdit;
class QPushButton;
class QThread;
class TBatchedLog;
class TCrawlJob;
class TDialogCrawlListener;

// What the two crawl dialogs share: the crawl runs on a worker thread from the
// moment the dialog is first shown, its log and the URL being read appear in the
// dialog, and Cancel, Esc and the close box end it as the user expects. Cancel and
// Esc ask the crawl to stop and close the dialog once it has; the close box lets
// it run to its end, then closes. After the end Cancel is disabled, Close enabled,
// and the log stays.
class TCrawlDialog : public QDialog {
  Q_OBJECT

public:
  ~TCrawlDialog() override;

  void reject() override;
  bool IsRunning() const { return Running; }

  // Called by the listener on this dialog's thread.
  void AddLog(const QString& line);
  void ShowUrl(const QString& url);
  virtual void ShowCategoryProgress(int minimum, int maximum, int position);
  virtual void ShowEntryProgress(int minimum, int maximum, int position);

protected:
  struct Controls {
    QLabel* LabelUrl;
    QPlainTextEdit* Memo1;
    QPushButton* BtnCancel;
    QPushButton* BtnClose;
  };

  TCrawlDialog(QWidget* parent, std::unique_ptr<TCrawlJob> job);
  // The subclass hands over its form's controls once it has set them up.
  void Bind(const Controls& controls);
  TCrawlJob& Job() { return *CrawlJob; }

  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

private:
  void Start();
  void Finished();
  void BtnCancelClick();

  Controls Form{};
  TBatchedLog* Log = nullptr;
  std::unique_ptr<TCrawlJob> CrawlJob;
  std::unique_ptr<TDialogCrawlListener> Listener;
  std::unique_ptr<QThread> Worker;
  bool Started = false;
  bool Running = false;
  bool CloseWhenDone = false;
  // Set when the crawl threw before its guarded part; read once the thread ended.
  std::string Failure;
};
