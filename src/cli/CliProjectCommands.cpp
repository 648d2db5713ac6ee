#include "cli/CliArgs.h"
#include "cli/CliCommands.h"
#include "cli/CliContext.h"
#include "cli/CliDetect.h"
#include "cli/CliProject.h"
#include "cli/CliSignals.h"
#include "cli/CliText.h"
#include "store/Tcomment.h"
#include "store/Tentry.h"
#include "store/Tproject.h"
#include "store/Tprojectdb.h"

#include <filesystem>
#include <ostream>
#include <stdexcept>

namespace {

std::string OnePositional(const TCliArgs& args, size_t count, const std::string& what) {
  if (args.Positionals().size() != count)
    throw TUsageError(what);
  return args.Positionals().front();
}

}

int CommandList(TCliContext& context, const std::vector<std::string>& args) {
  const TCliArgs parsed(args, {}, {});
  const std::string what = OnePositional(parsed, 1, "一覧の種類 (blog-types か templates) を1つ指定してください。");
  if (what == "blog-types") {
    const std::vector<TBlogConfig> blogTypes = context.BlogTypes();
    const std::vector<std::string> labels = BlogTypeLabels(blogTypes);
    for (size_t i = 0; i < blogTypes.size(); ++i)
      context.Out << PrintableText(labels[i]) << '\t' << PrintableText(blogTypes[i].GetSimpleText()) << '\n';
  } else if (what == "templates") {
    for (const THtmlTemplate& htmlTemplate : context.Templates())
      context.Out << PrintableText(htmlTemplate.GetName()) << '\n';
  } else {
    throw TUsageError("一覧の種類は blog-types か templates です: " + what);
  }
  return 0;
}

int CommandInit(TCliContext& context, const std::vector<std::string>& args) {
  const TCliArgs parsed(args, {"detect"}, {"blog-type", "url", "category", "template", "set"});
  const std::string path = OnePositional(parsed, 1, "プロジェクトファイルを1つ指定してください。");
  // Names are checked before anything is written.
  std::string blogType = parsed.Value("blog-type");
  if (parsed.Has("blog-type"))
    context.BlogType(blogType);
  std::string templateName = parsed.Value("template");
  if (parsed.Has("template"))
    context.Template(templateName);
  std::vector<std::pair<std::string, std::string>> categories;
  for (const std::string& category : parsed.All("category")) {
    categories.push_back(SplitNameValue(category, "--category"));
    // As the category dialog refuses them: reading the project back would drop the
    // category and move the ids of the ones after it.
    if (categories.back().first.empty())
      throw TUsageError("カテゴリ名が入力されていません。");
    if (categories.back().second.empty())
      throw TUsageError("URLが入力されていません。");
  }
  std::vector<std::pair<std::string, std::string>> settings;
  for (const std::string& setting : parsed.All("set"))
    settings.push_back(SplitNameValue(setting, "--set"));

  TProjectDb db;
  TProject project;
  std::error_code error;
  const bool exists = std::filesystem::exists(path, error);
  if (exists) {
    OpenProject(path, db, project);
    MentionOrphanedWork(path, context.Err);
  } else {
    // A new project starts with the first blog type and template selected, as a
    // new project in the window does.
    db.New(context.Folder("db") + "blog.mdb");
    const auto blogTypes = context.BlogTypes();
    const auto templates = context.Templates();
    project.SetBlogTypeName(blogTypes.empty() ? "" : blogTypes.front().GetName());
    project.SetHtmlTemplateName(templates.empty() ? "" : templates.front().GetName());
  }
  if (parsed.Has("url"))
    project.SetEntryUrl(UrlWithScheme(context, parsed.Value("url")));
  if (parsed.Flag("detect")) {
    if (project.GetEntryUrl().empty())
      throw TUsageError("--detect にはブログのトップページの URL (--url) が必要です。");
    const DetectedBlog detected = DetectBlog(context, project.GetEntryUrl(), categories.empty());
    project.SetBlogTypeName(detected.Types.front().BlogType.GetName());
    context.Out << "ブログの種類: " << PrintableText(detected.Types.front().BlogType.GetName()) << " ("
                << PrintableText(detected.Types.front().Reason) << ")\n";
    if (categories.empty()) {
      for (const TCategoryData& category : detected.Categories)
        categories.emplace_back(category.name, category.url);
      context.Out << "カテゴリ: " << detected.Categories.size() << " 件\n";
    }
  }
  if (parsed.Has("blog-type"))
    project.SetBlogTypeName(blogType);
  if (parsed.Has("template"))
    project.SetHtmlTemplateName(templateName);
  if (!categories.empty()) {
    project.ClearCategories();
    for (const auto& [name, url] : categories)
      project.AddCategory(name, url);
  }
  TProject::HtmlSettings htmlSettings = project.GetHtmlSettings();
  for (const auto& [name, value] : settings) {
    CommandInterruption::ThrowIfSignalled();
    htmlSettings[name] = value;
  }
  project.SetHtmlSettings(htmlSettings);
  // A signal up to here leaves the project file as it was; a save once begun ends.
  CommandInterruption::ThrowIfSignalled();
  // Another init may have made the file meanwhile; its project is not replaced.
  if (exists)
    project.Save(path, db);
  else
    project.SaveAsNew(path, db);
  return 0;
}

int CommandComment(TCliContext& context, const std::vector<std::string>& args) {
  const TCliArgs parsed(args, {}, {});
  if (parsed.Positionals().size() != 3)
    throw TUsageError("プロジェクトファイル、URL、コメントの3つを指定してください。");
  const std::string& path = parsed.Positionals()[0];
  const std::string& url = parsed.Positionals()[1];
  TProjectDb db;
  TProject project;
  OpenProject(path, db, project);
  MentionOrphanedWork(path, context.Err);
  for (TEntry& entry : LoadEntries(db)) {
    if (entry.GetUrl() != url)
      continue;
    CommandInterruption::ThrowIfSignalled();
    entry.SetComment(parsed.Positionals()[2]);
    SaveComment(db, entry);
    project.Save(path, db);
    return 0;
  }
  throw std::runtime_error("このURLのエントリーはありません: " + url);
}
