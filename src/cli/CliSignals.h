#pragma once

#include <stdexcept>

class BlogDetector;
class BlogTypeTrial;
class TCrawlJob;

// While it lives, SIGINT, SIGTERM and SIGHUP (a closed terminal), however many and
// however close together, only mark the command as interrupted instead of ending
// the program: the command ends through its normal returns, so a save in progress
// finishes and the working copy is removed. One at a time in a process.
class CommandInterruption {
public:
  CommandInterruption();
  ~CommandInterruption();
  CommandInterruption(const CommandInterruption&) = delete;
  CommandInterruption& operator=(const CommandInterruption&) = delete;

  static bool Signalled();
  // Throws TCanceledError once a signal came: for long loops and before a command writes.
  static void ThrowIfSignalled();
};

// While it lives, a signal also cancels the crawl being watched, so that what was
// read is still saved.
class CrawlInterruption {
public:
  CrawlInterruption() = default;
  ~CrawlInterruption();
  CrawlInterruption(const CrawlInterruption&) = delete;
  CrawlInterruption& operator=(const CrawlInterruption&) = delete;

  // The job a signal cancels from now on. A job handed over after a signal is
  // cancelled at once. The job must outlive this object: a signal may still reach
  // it after the next one is watched.
  void Watch(TCrawlJob& job);
  // Cancels as a signal does without being one: the crawl's output is gone.
  void CancelQuietly();

  bool Signalled() const { return CommandInterruption::Signalled(); }
  bool Canceled() const;

private:
  bool CanceledQuietly = false;
};

// While it lives, a signal also cancels the detection or the trial, which stops a
// request or a script in flight; one begun after a signal is cancelled at once.
class PageReadInterruption {
public:
  explicit PageReadInterruption(BlogDetector& detector);
  explicit PageReadInterruption(BlogTypeTrial& trial);
  ~PageReadInterruption();
  PageReadInterruption(const PageReadInterruption&) = delete;
  PageReadInterruption& operator=(const PageReadInterruption&) = delete;
};

// A page read that a signal cancelled fails as it would time out; it is told as
// what it is instead.
template <class Read>
auto TellingSignals(Read read) {
  try {
    return read();
  } catch (const std::runtime_error&) {
    CommandInterruption::ThrowIfSignalled();
    throw;
  }
}
