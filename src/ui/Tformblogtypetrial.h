#pragma once

#include "crawl/BlogTypeTrial.h"
#include "crawl/Tblogconfig.h"

#include <QDialog>

#include <memory>
#include <string>
#include <vector>

class QThread;
class QTreeWidgetItem;

namespace Ui {
class TFormBlogTypeTrial;
}

// A workbench for blog type authors: a page fetched, every function of the blog
// type's script called on it, and what each returned. An address in a result is
// fetched with one click, so a chain of pages can be followed by hand; Reload
// reads the blog types from disk again after the author edited one. The fetch and
// the calls run on a worker thread.
class TFormBlogTypeTrial : public QDialog {
  Q_OBJECT

public:
  explicit TFormBlogTypeTrial(QWidget* parent = nullptr);
  ~TFormBlogTypeTrial() override;

  // Where the blog types are scanned; empty means the program's own folder.
  // Scans it at once and selects the blog type with that file name.
  void SetBlogTypeFolder(const std::string& folder, const std::string& selectedFileName);
  void SetUrl(const QString& url);
  // Fetches the URL field's page with the selected blog type.
  void Fetch();
  bool IsRunning() const { return Worker != nullptr; }

  void reject() override;

private:
  void LoadBlogTypes(const std::string& selectedFileName);
  void Reload();
  void FetchUrl(const QString& url);
  void Back();
  void Cancel();
  void Finished();
  void SetBusy(bool busy);
  void ShowStatus(const QString& text, bool failed);
  void ShowReport(const TTrialReport& report);
  void ShowDetail();
  void ItemClicked(QTreeWidgetItem* item);
  std::string SelectedFileName() const;

  const std::unique_ptr<Ui::TFormBlogTypeTrial> Form;
  std::string BlogTypeFolder;
  std::vector<TBlogConfig> BlogTypes;
  std::vector<QString> History;
  std::unique_ptr<BlogTypeTrial> Trial;
  std::unique_ptr<QThread> Worker;
  // Filled on the worker thread, read once it ended.
  TTrialReport Report;
  std::string Failure;
  bool CloseWhenDone = false;
};
