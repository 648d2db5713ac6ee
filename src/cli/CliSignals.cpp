#include "cli/CliSignals.h"

#include "crawl/BlogDetector.h"
#include "crawl/BlogTypeTrial.h"
#include "crawl/Tcrawljob.h"
#include "store/Tkcancel.h"

#include <atomic>
#include <csignal>
#include <iterator>

namespace {

constexpr int HandledSignals[] = {SIGINT, SIGTERM, SIGHUP};
struct sigaction PreviousActions[std::size(HandledSignals)];

std::atomic<TCrawlJob*> WatchedJob{nullptr};
std::atomic<BlogDetector*> WatchedDetector{nullptr};
std::atomic<BlogTypeTrial*> WatchedTrial{nullptr};
std::atomic<bool> SignalSeen{false};

static_assert(std::atomic<TCrawlJob*>::is_always_lock_free && std::atomic<BlogDetector*>::is_always_lock_free &&
                  std::atomic<BlogTypeTrial*>::is_always_lock_free &&
                  std::atomic<bool>::is_always_lock_free,
              "the signal handler may only touch lock-free atomics");

extern "C" void OnSignal(int) {
  SignalSeen = true;
  if (TCrawlJob* job = WatchedJob.load())
    job->Cancel();
  if (BlogDetector* detector = WatchedDetector.load())
    detector->Cancel();
  if (BlogTypeTrial* trial = WatchedTrial.load())
    trial->Cancel();
}

}

CommandInterruption::CommandInterruption() {
  SignalSeen = false;
  struct sigaction action {};
  action.sa_handler = OnSignal;
  // No SA_RESETHAND: a second signal must not end the program before the save.
  action.sa_flags = SA_RESTART;
  sigemptyset(&action.sa_mask);
  for (size_t i = 0; i < std::size(HandledSignals); ++i)
    sigaction(HandledSignals[i], &action, &PreviousActions[i]);
}

CommandInterruption::~CommandInterruption() {
  for (size_t i = 0; i < std::size(HandledSignals); ++i)
    sigaction(HandledSignals[i], &PreviousActions[i], nullptr);
}

bool CommandInterruption::Signalled() {
  return SignalSeen;
}

void CommandInterruption::ThrowIfSignalled() {
  if (Signalled())
    throw TCanceledError();
}

CrawlInterruption::~CrawlInterruption() {
  WatchedJob = nullptr;
}

void CrawlInterruption::Watch(TCrawlJob& job) {
  WatchedJob = &job;
  if (Canceled())
    job.Cancel();
}

void CrawlInterruption::CancelQuietly() {
  CanceledQuietly = true;
  if (TCrawlJob* job = WatchedJob.load())
    job->Cancel();
}

bool CrawlInterruption::Canceled() const {
  return Signalled() || CanceledQuietly;
}

PageReadInterruption::PageReadInterruption(BlogDetector& detector) {
  WatchedDetector = &detector;
  if (CommandInterruption::Signalled())
    detector.Cancel();
}

PageReadInterruption::PageReadInterruption(BlogTypeTrial& trial) {
  WatchedTrial = &trial;
  if (CommandInterruption::Signalled())
    trial.Cancel();
}

PageReadInterruption::~PageReadInterruption() {
  WatchedDetector = nullptr;
  WatchedTrial = nullptr;
}
