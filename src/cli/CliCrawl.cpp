#include "cli/CliArgs.h"
#include "cli/CliCommands.h"
#include "cli/CliContext.h"
#include "cli/CliCrawlLog.h"
#include "cli/CliProject.h"
#include "cli/CliSignals.h"
#include "crawl/Tcategorycrawl.h"
#include "crawl/Tentrycrawl.h"
#include "store/Tproject.h"
#include "store/Tprojectdb.h"

int CommandCrawl(TCliContext& context, const std::vector<std::string>& args) {
  const TCliArgs parsed(args, {"entries", "categories", "new-only"}, {});
  if (parsed.Positionals().size() != 1)
    throw TUsageError("プロジェクトファイルを1つ指定してください。");
  const std::string& path = parsed.Positionals().front();
  const bool both = !parsed.Flag("entries") && !parsed.Flag("categories");

  // The jobs outlive the interruption: a signal may reach the last one watched
  // until the handlers are restored.
  TEntryCrawl entryCrawl;
  TCategoryCrawl categoryCrawl;
  CrawlInterruption interruption;
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

  CrawlLog log(context.Out, context.Err, interruption);
  bool ok = true;
  if ((both || parsed.Flag("entries")) && !interruption.Canceled()) {
    entryCrawl.SetStartUrl(project.GetEntryUrl());
    entryCrawl.SetDb(&db);
    entryCrawl.SetNewEntryOnly(parsed.Flag("new-only"));
    entryCrawl.SetBlogConfig(blogType);
    entryCrawl.SetListener(&log);
    interruption.Watch(entryCrawl);
    ok = entryCrawl.Run() && ok;
  }
  if ((both || parsed.Flag("categories")) && !interruption.Canceled()) {
    categoryCrawl.SetCategories(categories);
    categoryCrawl.SetDb(&db);
    categoryCrawl.SetBlogConfig(blogType);
    categoryCrawl.SetListener(&log);
    interruption.Watch(categoryCrawl);
    ok = categoryCrawl.Run() && ok;
  }
  if (!SaveOrSaveBeside(path, db, project, context.Err))
    return 1;
  if (log.OutputGone())
    return ExitOutputGone;
  if (!ok)
    return 1;
  return interruption.Signalled() ? ExitCanceled : 0;
}
