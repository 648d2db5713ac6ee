#include "toc/Tgenerationexportjob.h"

#include "toc/Tgenerationrun.h"

#include <QThread>

#include <exception>
#include <stdexcept>

TGenerationExportJob::TGenerationExportJob(TGenerationRun& run, QObject* parent)
    : QObject(parent), Run(run) {}

TGenerationExportJob::~TGenerationExportJob() {
  if (Worker)
    Worker->wait();
}

void TGenerationExportJob::Start() {
  if (Worker)
    throw std::logic_error("the generation export is already running");
  Failure = false;
  Message.clear();
  Worker.reset(QThread::create([this] {
    try {
      Run.Export();
    } catch (const std::exception& e) {
      Failure = true;
      Message = e.what();
    }
  }));
  // The worker says it finished from its own thread: the report comes queued to ours.
  connect(Worker.get(), &QThread::finished, this, &TGenerationExportJob::Report);
  Worker->start();
}

void TGenerationExportJob::Report() {
  Worker->wait();
  Worker.reset();
  if (Failure)
    emit Failed(QString::fromStdString(Message));
  else
    emit Finished();
}
