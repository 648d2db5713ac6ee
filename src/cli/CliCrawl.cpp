#include "cli/CliArgs.h"
#include "cli/CliCommands.h"
#include "cli/CliContext.h"
#include "cli/CliProject.h"
#include "crawl/Tcategorycrawl.h"
#include "crawl/Tcrawllistener.h"
#include "crawl/Tentrycrawl.h"
#include "store/Tproject.h"
#include "store/Tprojectdb.h"

#include <atomic>
#include <csignal>
#include <ostream>

#include <unistd.h>

namespace {

std::atomic<TCrawlJob*> RunningJob{nullptr};
std::atomic<bool> Interrupted{false};

// Ctrl-C cancels the crawl as the Cancel button does; a second one ends the program.
extern "C" void OnInterrupt(int) {
  Interrupted = true;
  if (TCrawlJob* job = RunningJob.load())
    job->Cancel();
}

class InterruptGuard {
public:
  InterruptGuard() {
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    action.sa_flags = SA_RESETHAND;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, &Previous);
    sigaction(SIGTERM, &action, &PreviousTerm);
  }
  ~InterruptGuard() {
    sigaction(SIGINT, &Previous, nullptr);
    sigaction(SIGTERM, &PreviousTerm, nullptr);
  }

private:
  struct sigaction Previous {};
  struct sigaction PreviousTerm {};
};

// Log lines to standard output as the dialog shows them; where standard error is
// a terminal, the URL being read and the progress on one line there.
class CliListener : public TCrawlListener {
public:
  CliListener(std::ostream& out, std::ostream& err) : Out(out), Err(err), Terminal(isatty(2) == 1) {}
  ~CliListener() override { ClearStatus(); }

  void Log(const std::string& line) override {
    ClearStatus();
    Out << line << std::endl;
  }
  void ShowUrl(const std::string& url) override {
    if (!Terminal)
      return;
    const std::string text = Progress + url;
    Err << "\r\x1b[K" << (text.size() > 120 ? text.substr(0, 117) + "..." : text) << std::flush;
    StatusShown = true;
  }
  void SetCategoryProgress(int, int maximum, int position) override {
    Progress = maximum > 0 && position > 0
                   ? "[" + std::to_string(position) + "/" + std::to_string(maximum) + "] "
                   : "";
  }

private:
  void ClearStatus() {
    if (StatusShown)
      Err << "\r\x1b[K" << std::flush;
    StatusShown = false;
  }

  std::ostream& Out;
  std::ostream& Err;
  bool Terminal;
  bool StatusShown = false;
  std::string Progress;
};

bool RunJob(TCrawlJob& job) {
  RunningJob = &job;
  if (Interrupted)
    job.Cancel();
  const bool ok = job.Run();
  RunningJob = nullptr;
  return ok;
}

}

int CommandCrawl(TCliContext& context, const std::vector<std::string>& args) {
  const TCliArgs parsed(args, {"entries", "categories", "new-only"}, {});
  if (parsed.Positionals().size() != 1)
    throw TUsageError("プロジェクトファイルを1つ指定してください。");
  const std::string& path = parsed.Positionals().front();
  const bool both = !parsed.Flag("entries") && !parsed.Flag("categories");

  TProjectDb db;
  TProject project;
  OpenProject(path, db, project);
  MentionOrphanedWork(path, context.Err);
  context.LoadConnectionSettings();
  TBlogConfig blogType;
  try {
    blogType = context.BlogType(project.GetBlogTypeName());
  } catch (const TUsageError& e) {
    throw std::runtime_error(e.what());
  }
  std::vector<TCategoryData> categories;
  for (unsigned i = 0; i < project.GetCategoryCount(); ++i)
    categories.push_back(project.GetCategory(i));

  InterruptGuard guard;
  Interrupted = false;
  CliListener listener(context.Out, context.Err);
  bool ok = true;
  if (both || parsed.Flag("entries")) {
    TEntryCrawl crawl;
    crawl.SetStartUrl(project.GetEntryUrl());
    crawl.SetDb(&db);
    crawl.SetNewEntryOnly(parsed.Flag("new-only"));
    crawl.SetBlogConfig(blogType);
    crawl.SetListener(&listener);
    ok = RunJob(crawl) && ok;
  }
  if ((both || parsed.Flag("categories")) && !Interrupted) {
    TCategoryCrawl crawl;
    crawl.SetCategories(categories);
    crawl.SetDb(&db);
    crawl.SetBlogConfig(blogType);
    crawl.SetListener(&listener);
    ok = RunJob(crawl) && ok;
  }
  project.Save(path, db);
  return ok ? 0 : 1;
}
