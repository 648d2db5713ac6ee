#pragma once

class TCrawlJob;

// While it lives, SIGINT, SIGTERM and SIGHUP (a closed terminal), however many and
// however close together, cancel the crawl being watched instead of ending the
// program, so that what was read is still saved. One at a time in a process.
class CrawlInterruption {
public:
  CrawlInterruption();
  ~CrawlInterruption();
  CrawlInterruption(const CrawlInterruption&) = delete;
  CrawlInterruption& operator=(const CrawlInterruption&) = delete;

  // The job a signal cancels from now on. A job handed over after a signal is
  // cancelled at once. The job must outlive this object: a signal may still reach
  // it after the next one is watched.
  void Watch(TCrawlJob& job);
  // Cancels as a signal does without being one: the crawl's output is gone.
  void CancelQuietly();

  bool Signalled() const;
  bool Canceled() const;

private:
  bool CanceledQuietly = false;
};
