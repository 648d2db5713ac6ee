#pragma once

#include "crawl/BlogDetector.h"

#include <QDialog>

#include <memory>
#include <string>
#include <vector>

class QLabel;
class QPushButton;
class QThread;

// What a detection found on a blog's top page.
struct TDetection {
  // Best first; empty when no blog type recognises the page.
  std::vector<DetectedBlogType> Types;
  // Those the best one lists on the page.
  std::vector<TCategoryData> Categories;
  // "name: message" for each blog type whose script failed.
  std::vector<std::string> Errors;
  // Why the best one's categories could not be read; empty when they could.
  std::string CategoryError;
};

// A small busy box while the top page is fetched and every blog type asked on a
// worker thread, from the moment it is first shown. exec() is Accepted once the
// detection has ended, failed or not, and Rejected when キャンセル, Esc or the
// close box stopped it: the box closes as soon as the fetch or script in flight
// has stopped.
class TDetectDialog : public QDialog {
  Q_OBJECT

public:
  TDetectDialog(QWidget* parent, std::string url, std::vector<TBlogConfig> blogTypes);
  ~TDetectDialog() override;

  void reject() override;

  const TDetection& GetDetection() const { return Detection; }
  // The fetch's message when the page could not be read; empty otherwise.
  const std::string& GetFailure() const { return Failure; }

protected:
  void showEvent(QShowEvent* event) override;

private:
  void Start();
  void Run();
  void Finished();

  std::string Url;
  std::vector<TBlogConfig> BlogTypes;
  BlogDetector Detector;
  TDetection Detection;
  std::string Failure;
  std::unique_ptr<QThread> Worker;
  QLabel* LabelStatus = nullptr;
  QPushButton* ButtonCancel = nullptr;
  bool Started = false;
  bool CancelRequested = false;
};
