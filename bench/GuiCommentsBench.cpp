// The comments page of the real main window (offscreen) on a project of 100,000
// entries, each in 2 categories and with a comment:
//   comments_page_show_100k_s  switching to the page until its first rows are
//                              painted (the median of a few visits; each reads
//                              the project again);
//   comments_filter_100k_ms    one keystroke in the filter until the rows are
//                              painted again, the pause after typing set to 0
//                              (the slowest of a word typed key by key);
//   gui_peak_rss_100k_mb       the process's peak memory with the page shown.
#include "BenchProject.h"
#include "BenchWindowEnvironment.h"

#include "app/Tappstartup.h"
#include "app/Tformmain.h"
#include "store/Tproject.h"
#include "store/Tprojectdb.h"
#include "ui_Tformmain.h"

#include <QApplication>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

constexpr int Visits = 3;
const char* const TypedWord = "12345";

std::string MakeProject(const QTemporaryDir& temp) {
  const std::string fileName = temp.filePath(QStringLiteral("bench.proj")).toStdString();
  TProjectDb db;
  db.New(TOCWERK_BLANK_PROJECT);
  InsertBenchEntries(db, BenchEntryCount);
  AddBenchCategoriesAndComments(db, BenchEntryCount);
  TProject project;
  project.Save(fileName, db);
  return fileName;
}

// Everything queued is handled and the grid's rows are drawn.
void Paint(QTableView& grid) {
  QApplication::processEvents();
  grid.viewport()->grab();
}

double ShowSeconds(TFormMain& window) {
  Ui::TFormMain& form = window.GetUi();
  form.PageControl1->setCurrentIndex(0);
  QApplication::processEvents();
  const auto start = Clock::now();
  form.PageControl1->setCurrentIndex(1);
  Paint(*form.GridComment);
  const double seconds = SecondsSince(start);
  if (form.GridComment->model()->rowCount() != BenchEntryCount)
    throw std::runtime_error("the page does not show every entry");
  return seconds;
}

double SlowestKeystrokeMs(TFormMain& window) {
  Ui::TFormMain& form = window.GetUi();
  window.findChild<QTimer*>(QStringLiteral("CommentFilterDelay"))->setInterval(0);
  form.EditCommentFilter->setFocus();
  double slowest = 0;
  for (const char* key = TypedWord; *key; ++key) {
    const auto start = Clock::now();
    QTest::keyClick(form.EditCommentFilter, *key);
    Paint(*form.GridComment);
    slowest = std::max(slowest, SecondsSince(start) * 1000);
  }
  if (form.GridComment->model()->rowCount() >= BenchEntryCount || form.GridComment->model()->rowCount() == 0)
    throw std::runtime_error("the filter did not narrow the rows");
  return slowest;
}

}

int main(int argc, char** argv) {
  QTemporaryDir temp;
  UseScratchWindowEnvironment(temp);
  QApplication application(argc, argv);
  try {
    PrepareApplication(application);
    const std::string project = MakeProject(temp);
    TFormMain window;
    window.resize(1000, 700);
    window.show();
    if (!QTest::qWaitFor([&window] { return window.IsStarted(); }, 30000) || window.HasStartupFailed())
      throw std::runtime_error("the window did not start");
    window.OpenProject(QString::fromStdString(project));

    std::vector<double> shows;
    for (int visit = 0; visit < Visits; ++visit)
      shows.push_back(ShowSeconds(window));
    std::sort(shows.begin(), shows.end());
    PrintFigure("comments_page_show_100k_s", shows[shows.size() / 2], "s");
    PrintFigure("comments_filter_100k_ms", SlowestKeystrokeMs(window), "ms");
    PrintFigure("gui_peak_rss_100k_mb", PeakRssMb(), "MB");
  } catch (const std::exception& error) {
    std::fprintf(stderr, "bench_guicomments: %s\n", error.what());
    return 1;
  }
  return 0;
}
