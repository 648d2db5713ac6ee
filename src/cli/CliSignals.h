#pragma once

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

// While it lives, a signal also cancels the detection, which stops a request or a
// script in flight; a detection begun after a signal is cancelled at once.
class DetectionInterruption {
public:
  explicit DetectionInterruption(BlogDetector& detector);
  ~DetectionInterruption();
  DetectionInterruption(const DetectionInterruption&) = delete;
  DetectionInterruption& operator=(const DetectionInterruption&) = delete;
};

// The same for a blog type's trial.
class TrialInterruption {
public:
  explicit TrialInterruption(BlogTypeTrial& trial);
  ~TrialInterruption();
  TrialInterruption(const TrialInterruption&) = delete;
  TrialInterruption& operator=(const TrialInterruption&) = delete;
};
