#include "cli/CliArgs.h"
#include "cli/CliCommands.h"
#include "cli/CliContext.h"
#include "cli/CliProject.h"
#include "store/Tproject.h"
#include "store/Tprojectdb.h"
#include "toc/Tgenerationrun.h"

#include <algorithm>
#include <filesystem>
#include <ostream>

namespace {

// The template's setting names with the project's values, as the table-of-contents
// page shows them, then the overrides of this run; an override of a name the
// template does not list is added.
std::vector<std::string> SettingLines(const THtmlTemplate& htmlTemplate, const TProject& project,
                                      const std::vector<std::pair<std::string, std::string>>& overrides) {
  TProject::HtmlSettings values = project.GetHtmlSettings();
  std::vector<std::string> names = htmlTemplate.GetConfig();
  for (const auto& [name, value] : overrides) {
    if (std::find(names.begin(), names.end(), name) == names.end())
      names.push_back(name);
    values[name] = value;
  }
  std::vector<std::string> lines;
  for (const std::string& name : names)
    lines.push_back(name + "=" + values[name]);
  return lines;
}

}

int CommandMake(TCliContext& context, const std::vector<std::string>& args) {
  const TCliArgs parsed(args, {"wait"}, {"template", "set"});
  if (parsed.Positionals().size() != 2)
    throw TUsageError("プロジェクトファイルと出力する HTML ファイルを指定してください。");
  std::vector<std::pair<std::string, std::string>> overrides;
  for (const std::string& setting : parsed.All("set"))
    overrides.push_back(SplitNameValue(setting, "--set"));
  const THtmlTemplate chosen = parsed.Has("template") ? context.Template(parsed.Value("template")) : THtmlTemplate();

  TProjectDb db;
  TProject project;
  OpenProjectToRead(parsed.Positionals()[0], db, project);
  THtmlTemplate htmlTemplate = chosen;
  if (!parsed.Has("template")) {
    try {
      htmlTemplate = context.Template(project.GetHtmlTemplateName());
    } catch (const TUsageError& e) {
      throw std::runtime_error(e.what());
    }
  }
  // The template program runs in its own folder: it needs the output's full path.
  const std::string output = std::filesystem::absolute(parsed.Positionals()[1]).string();

  TGenerationRun run;
  run.SetDataFile(context.Folder("db") + "html.mdb");
  run.SetHtmlConfig(SettingLines(htmlTemplate, project, overrides));
  run.SetDb(&db);
  run.SetTemplate(&htmlTemplate);
  run.SetOutputFile(output);
  if (!parsed.Flag("wait")) {
    run.Run();
    return 0;
  }
  std::string errors;
  const int status = run.RunAndWait(errors);
  std::filesystem::remove(run.GetGenerationDbPath());
  context.Err << errors;
  return status;
}
