// The entry crawl of a 2,000-entry Shift_JIS sample blog run from the entry
// download dialog (offscreen), against tocwerk-cli crawling the same blog served by
// the same sample server in the same run: the dialog's log, its worker thread and
// its event loop must not slow the crawl down.
#include "BenchProject.h"
#include "BenchSampleBlog.h"

#include "net/Tappconfig.h"
#include "script/Tscriptcontroller.h"
#include "store/Tentry.h"
#include "store/Tprojectdb.h"
#include "ui/Tformdownloadentry.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <stdexcept>
#include <string>

namespace {

using Clock = std::chrono::steady_clock;

constexpr int Rounds = 3;

void Run(const QString& program, const QStringList& arguments) {
  QProcess process;
  process.setProcessChannelMode(QProcess::MergedChannels);
  process.start(program, arguments);
  if (!process.waitForFinished(300000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
    throw std::runtime_error("failed: " + program.toStdString() + "\n" + process.readAll().toStdString());
}

// The real sample server on the blog folder, stopped when the benchmark ends.
class Server {
public:
  explicit Server(const QString& folder) {
    Process.start(QStringLiteral(TOCWERK_SAMPLE_SERVER), {folder});
    const QDeadlineTimer deadline(10000);
    while (!Process.canReadLine() && !deadline.hasExpired())
      Process.waitForReadyRead(100);
    Port = Process.readLine().trimmed().toInt();
    if (Port <= 0)
      throw std::runtime_error("the sample server printed no port");
  }
  ~Server() {
    Process.terminate();
    Process.waitForFinished(5000);
  }
  Server(const Server&) = delete;
  Server& operator=(const Server&) = delete;

  std::string Url(const std::string& path) const { return "http://127.0.0.1:" + std::to_string(Port) + path; }

private:
  QProcess Process;
  int Port = 0;
};

double DialogSeconds(const Server& server) {
  TProjectDb db;
  db.New(TOCWERK_BLANK_PROJECT);
  TFormDownloadEntry dialog;
  dialog.SetStartUrl(server.Url("/"));
  dialog.SetDb(&db);
  dialog.SetNewEntryOnly(false);
  dialog.SetBlogConfig(BenchBlogType());
  auto* close = dialog.findChild<QPushButton*>(QStringLiteral("BtnClose"));
  const auto start = Clock::now();
  dialog.open();
  if (!QTest::qWaitFor([close] { return close->isEnabled(); }, 300000))
    throw std::runtime_error("the dialog's crawl did not end");
  const double seconds = SecondsSince(start);
  dialog.accept();
  const std::size_t stored = LoadEntries(db).size();
  if (stored != BenchSampleEntryCount)
    throw std::runtime_error("the dialog's crawl stored " + std::to_string(stored) + " entries\n" +
                             dialog.findChild<QPlainTextEdit*>(QStringLiteral("Memo1"))->toPlainText().toStdString());
  return seconds;
}

// The whole command as the user runs it: start, open the project, crawl, save.
double CliSeconds(const QTemporaryDir& temp, const Server& server) {
  const QString config = temp.filePath(QStringLiteral("config.ini"));
  std::ofstream(config.toStdString()) << "[HTTP_PROXY]\nUseProxy=0\nSleepTime=0\n";
  const QString project = temp.filePath(QStringLiteral("bench.proj"));
  const QString cli = QStringLiteral(TOCWERK_CLI);
  Run(cli, {QStringLiteral("--config"), config, QStringLiteral("init"), project, QStringLiteral("--blog-type"),
            QString::fromUtf8(BenchBlogTypeName), QStringLiteral("--url"), QString::fromStdString(server.Url("/"))});
  const auto start = Clock::now();
  Run(cli, {QStringLiteral("--config"), config, QStringLiteral("crawl"), project, QStringLiteral("--entries")});
  return SecondsSince(start);
}

}

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  SetScriptHostProgram(TOCWERK_SCRIPT_HOST);
  try {
    QTemporaryDir temp;
    const QString blog = temp.filePath(QStringLiteral("blog"));
    Run(QStringLiteral(TOCWERK_SAMPLE_BLOG), {QStringLiteral("--entries"), QString::number(BenchSampleEntryCount),
                                              QStringLiteral("--per-page"), QStringLiteral("20"),
                                              QStringLiteral("--charset"), QStringLiteral("Shift_JIS"), blog});
    const Server server(blog);
    TAppConfig::GetInstance()->SetSleepTime(0);
    TAppConfig::GetInstance()->SetUseProxy(false);
    // The best of a few rounds of each, taken in turns, to keep the shared machine's
    // other load out of both figures alike.
    double dialog = DialogSeconds(server);
    double cli = CliSeconds(temp, server);
    for (int round = 1; round < Rounds; ++round) {
      dialog = std::min(dialog, DialogSeconds(server));
      cli = std::min(cli, CliSeconds(temp, server));
    }
    PrintFigure("gui_crawl_vs_cli_ratio", dialog / cli, "x");
    PrintFigure("gui_crawl_dialog_s", dialog, "s");
    PrintFigure("gui_crawl_cli_s", cli, "s");
  } catch (const std::exception& error) {
    std::fprintf(stderr, "bench_guicrawl: %s\n", error.what());
    return 1;
  }
  return 0;
}
