#pragma once

#include <string>
#include <vector>

class QProcess;
class THtmlTemplate;
class TProjectDb;

// One make run: exports the generation database, then starts the template's
// program with three arguments (the generation database, the output file, the
// program's own path) in the program's folder. The inputs are set as the make
// command gathers them; the database and the template stay the caller's.
class TGenerationRun {
public:
  void SetDataFile(const std::string& path) { DataFile = path; }
  void SetHtmlConfig(const std::vector<std::string>& lines) { Settings = lines; }
  void SetDb(TProjectDb* db) { Db = db; }
  void SetTemplate(const THtmlTemplate* htmlTemplate) { Template = htmlTemplate; }
  void SetOutputFile(const std::string& path) { OutputFile = path; }

  // Starts the program and returns at once; a program that cannot be started
  // throws, and so does a failed export, which starts nothing.
  void Run();
  // Runs the program to its end and returns its exit status; what it wrote to
  // standard error goes to errorOutput.
  int RunAndWait(std::string& errorOutput);

  const std::string& GetGenerationDbPath() const { return GenerationDb; }

private:
  // Exports, then readies the process; returns the program's path.
  std::string Prepare(QProcess& process);

  std::string DataFile;
  std::vector<std::string> Settings;
  TProjectDb* Db = nullptr;
  const THtmlTemplate* Template = nullptr;
  std::string OutputFile;
  std::string GenerationDb;
};
