// 自動判定 of the real main window (offscreen) on a 40-entry sample blog served by
// the real sample server:
//   gui_detect_ms          the click on 自動判定 until the blog type is selected;
//   gui_detect_fetch_ms    fetching the top page alone, as the detection does;
//   gui_detect_own_ms      the difference: the scripts, the thread and the boxes.
// The best of a few rounds of each, to keep the shared machine's load out.
#include "BenchProject.h"
#include "BenchWindowEnvironment.h"
#include "BenchSampleBlog.h"
#include "ServerProcess.h"

#include "app/Tappstartup.h"
#include "app/Tformmain.h"
#include "crawl/BlogDetector.h"
#include "script/Tscriptcontroller.h"
#include "ui/Tformdetectcategories.h"
#include "ui_Tformmain.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <stdexcept>
#include <string>

namespace {

using Clock = std::chrono::steady_clock;

constexpr int Rounds = 5;

// OK on the category box as soon as it shows, so that the command ends.
void AcceptCategories() {
  auto* timer = new QTimer;
  timer->setInterval(1);
  QObject::connect(timer, &QTimer::timeout, [timer] {
    auto* dialog = qobject_cast<TFormDetectCategories*>(QApplication::activeModalWidget());
    if (!dialog || !dialog->isVisible())
      return;
    timer->deleteLater();
    timer->stop();
    dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
  });
  timer->start();
}

double DetectMs(TFormMain& window) {
  Ui::TFormMain& form = window.GetUi();
  form.ComboBoxBlogType->setCurrentIndex(form.ComboBoxBlogType->count() - 1);
  form.ListViewCategory->clear();
  QApplication::processEvents();
  double ms = -1;
  Clock::time_point start;
  const QMetaObject::Connection selected =
      QObject::connect(form.ComboBoxBlogType, &QComboBox::currentIndexChanged, [&ms, &start] {
        if (ms < 0)
          ms = SecondsSince(start) * 1000;
      });
  AcceptCategories();
  start = Clock::now();
  form.ButtonDetectBlogType->click();
  QObject::disconnect(selected);
  if (ms < 0 || form.ComboBoxBlogType->currentData().toString() != QString::fromUtf8(BenchBlogTypeName))
    throw std::runtime_error("自動判定 did not select the blog type");
  if (form.ListViewCategory->topLevelItemCount() == 0)
    throw std::runtime_error("自動判定 offered no categories");
  return ms;
}

double FetchMs(const std::string& url) {
  BlogDetector detector;
  const auto start = Clock::now();
  detector.Fetch(url);
  return SecondsSince(start) * 1000;
}

}

int main(int argc, char** argv) {
  QTemporaryDir temp;
  UseScratchWindowEnvironment(temp);
  QApplication application(argc, argv);
  try {
    PrepareApplication(application);
    SetScriptHostProgram(TOCWERK_SCRIPT_HOST);
    const std::string blog = temp.filePath(QStringLiteral("blog")).toStdString();
    if (RunProgram({TOCWERK_SAMPLE_BLOG, "--entries", "40", blog}).Status != 0)
      throw std::runtime_error("the sample blog was not written");
    const ServerProcess server({TOCWERK_SAMPLE_SERVER, blog});
    TFormMain window;
    window.resize(1000, 700);
    window.show();
    if (!QTest::qWaitFor([&window] { return window.IsStarted(); }, 30000) || window.HasStartupFailed())
      throw std::runtime_error("the window did not start");
    window.GetUi().EditEntryUrl->setText(QString::fromStdString(server.Url("/")));

    double detect = DetectMs(window);
    double fetch = FetchMs(server.Url("/"));
    for (int round = 1; round < Rounds; ++round) {
      detect = std::min(detect, DetectMs(window));
      fetch = std::min(fetch, FetchMs(server.Url("/")));
    }
    PrintFigure("gui_detect_ms", detect, "ms");
    PrintFigure("gui_detect_fetch_ms", fetch, "ms");
    PrintFigure("gui_detect_own_ms", detect - fetch, "ms");
  } catch (const std::exception& error) {
    std::fprintf(stderr, "bench_guidetect: %s\n", error.what());
    return 1;
  }
  return 0;
}
