// tocwerk-cli make, waited for, on a project someone sent with 100,000 template
// settings: the load, the settings rows, the export and the bundled program.
#include "BenchProject.h"

#include "store/Tkfileutility.h"
#include "store/Tproject.h"
#include "store/Tprojectdb.h"

#include <cstdio>
#include <filesystem>
#include <spawn.h>
#include <string>
#include <sys/wait.h>

extern char** environ;

namespace {

constexpr int SettingCount = 100000;

std::string SettingsProject() {
  TProjectDb db;
  db.New(TOCWERK_BLANK_PROJECT);
  TProject project;
  project.SetHtmlTemplateName("カテゴリ別目次");
  TProject::HtmlSettings settings;
  for (int i = 0; i < SettingCount; ++i)
    settings.emplace("設定" + std::to_string(i), "値" + std::to_string(i));
  project.SetHtmlSettings(settings);
  const std::string path = GetTempFolder() + "bench-settings.proj";
  std::remove(path.c_str());
  project.Save(path, db);
  return path;
}

bool RunCli(const std::vector<std::string>& arguments) {
  std::vector<char*> argv;
  for (const std::string& argument : arguments)
    argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  pid_t pid = 0;
  int status = -1;
  return posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ) == 0 &&
         waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}

int main() {
  const std::string project = SettingsProject();
  const std::string output = project + ".html";
  const auto start = std::chrono::steady_clock::now();
  if (!RunCli({TOCWERK_CLI, "--data-dir", TOCWERK_BIN_DIR, "make", project, output, "--wait"})) {
    std::fprintf(stderr, "bench_makesettings: tocwerk-cli make failed\n");
    return 1;
  }
  PrintFigure("make_100k_settings_s", SecondsSince(start), "s");
  std::remove(output.c_str());
  std::remove(project.c_str());
  return 0;
}
