#include "CliRun.h"

#include <QStringList>

#include <sstream>

namespace {

QStringList Arguments(const std::vector<std::string>& arguments, const std::string& configFile) {
  QStringList list{QStringLiteral("--config"), QString::fromStdString(configFile)};
  for (const std::string& argument : arguments)
    list << QString::fromStdString(argument);
  return list;
}

}

std::unique_ptr<QProcess> StartCli(const std::vector<std::string>& arguments, const std::string& configFile,
                                   const std::function<void(QProcess&)>& prepare) {
  auto process = std::make_unique<QProcess>();
  process->setStandardInputFile(QProcess::nullDevice());
  if (prepare)
    prepare(*process);
  process->start(QStringLiteral(TOCWERK_CLI), Arguments(arguments, configFile));
  process->waitForStarted(10000);
  return process;
}

CliResult RunCli(const std::vector<std::string>& arguments, const std::string& configFile) {
  const auto process = StartCli(arguments, configFile);
  process->waitForFinished(120000);
  return {process->exitStatus() == QProcess::NormalExit ? process->exitCode() : -1,
          process->readAllStandardOutput().toStdString(), process->readAllStandardError().toStdString()};
}

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);)
    lines.push_back(line);
  return lines;
}

ServedBlog::ServedBlog(TSampleBlogOptions options, const std::vector<std::string>& serverOptions)
    : Options(std::move(options)), Config(Folder.File("Tocwerk.ini")) {
  WriteFile(Config, "[HTTP_PROXY]\nUseProxy=0\nSleepTime=0\n");
  TSampleBlog(Options).Write(Folder.File("blog"));
  std::vector<std::string> arguments{SAMPLE_SERVER_PROGRAM};
  arguments.insert(arguments.end(), serverOptions.begin(), serverOptions.end());
  arguments.push_back(Folder.File("blog"));
  Server = std::make_unique<ServerProcess>(arguments);
}

void ServedBlog::Grow(int entries) {
  Options.Entries = entries;
  TSampleBlog(Options).Write(Folder.File("blog"));
}

CliResult ServedBlog::Init(const std::string& project) const {
  std::vector<std::string> arguments{"init", project, "--blog-type", "汎用 (HTML5)", "--url", Url("/")};
  for (int c = 0; c < TSampleBlog::CategoryCount; ++c)
    arguments.insert(arguments.end(),
                     {"--category", TSampleBlog::CategoryName(c) + "=" + Url(TSampleBlog::CategoryPath(c))});
  return Cli(arguments);
}
