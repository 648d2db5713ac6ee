#include "cli/CliArgs.h"
#include "cli/CliCommands.h"
#include "cli/CliContext.h"
#include "cli/CliProject.h"
#include "cli/CliSignals.h"
#include "store/Tksavefile.h"
#include "store/Tproject.h"
#include "store/Tprojectdb.h"
#include "toc/Tgenerationdb.h"
#include "toc/Tgenerationrun.h"
#include "toc/Tktemplatesettings.h"

#include <filesystem>
#include <ostream>
#include <stdexcept>

namespace fs = std::filesystem;

namespace {

// Checked before anything starts, since the template program would find out only
// after the export: the output must not be the project file (under any name), an
// existing output must be a regular file we may write, and its folder must exist
// and take a new file.
void CheckOutput(const std::string& output, const std::string& projectPath) {
  std::error_code error;
  if (fs::equivalent(output, projectPath, error))
    throw std::runtime_error(CannotSaveMessage(output, "出力先がプロジェクトファイルと同じです。"));
  ResolveSaveTarget(output);
}

// The rows the table-of-contents page would show for this template and project,
// then the overrides of this run.
std::vector<std::string> SettingLines(const THtmlTemplate& htmlTemplate, const TProject& project,
                                      const std::vector<std::pair<std::string, std::string>>& overrides) {
  TTemplateSettingRows rows(htmlTemplate.GetConfig());
  rows.ApplySaved(project.GetHtmlSettings());
  for (const auto& [name, value] : overrides)
    rows.Set(name, value);
  return rows.Lines();
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
  const std::string& projectPath = parsed.Positionals()[0];
  const std::string& output = parsed.Positionals()[1];

  // As the window does at its start: runs that ended long ago leave nothing behind.
  RemoveStaleGenerationDbs();
  TProjectDb db;
  TProject project;
  OpenProjectToRead(projectPath, db, project);
  CommandInterruption::ThrowIfSignalled();
  CheckOutput(output, projectPath);
  THtmlTemplate htmlTemplate = chosen;
  if (!parsed.Has("template")) {
    try {
      htmlTemplate = context.Template(project.GetHtmlTemplateName());
    } catch (const TUsageError& e) {
      throw std::runtime_error(e.what());
    }
  }

  TGenerationRun run;
  run.SetDataFile(context.Folder("db") + "html.mdb");
  run.SetHtmlConfig(SettingLines(htmlTemplate, project, overrides));
  run.SetDb(&db);
  run.SetTemplate(&htmlTemplate);
  run.SetOutputFile(output);
  run.SetCancelCheck(&CommandInterruption::Signalled);
  run.Export();
  if (!parsed.Flag("wait")) {
    run.StartDetached();
    return 0;
  }
  std::string errors;
  const int status = run.Wait(errors);
  context.Err << errors;
  return status;
}
