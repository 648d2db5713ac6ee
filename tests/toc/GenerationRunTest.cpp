#include "TocTestProject.h"

#include "support/TempFolder.h"
#include "toc/Tgenerationrun.h"
#include "toc/Ttemplatemanager.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <thread>

namespace fs = std::filesystem;

namespace {

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
    lines.push_back(text.substr(start, end - start));
  return lines;
}

// A template folder whose name, program folder and output folder have blanks and quotes.
class GenerationRunTest : public ::testing::Test {
protected:
  GenerationRunTest() {
    const std::string templates = Folder.File("my templates/");
    fs::create_directories(templates + "it's \"sub\" dir");
    Program = templates + "it's \"sub\" dir/record er";
    fs::copy_file(TOCWERK_TEST_RECORDER, Program);
    WriteFile(templates + "t.ini", "[TEMPLATE]\nname=記録\nexe=it's \"sub\" dir/record er\n[CONFIG]\n1=タイトル\n");
    Template = THtmlTemplate(templates + "t.ini");
    fs::create_directories(Folder.File("out put"));
    Output = Folder.File("out put/目次 \"final\".html");
    FillSampleProject(Db);
    Run.SetDataFile(BlankGenerationDb());
    Run.SetHtmlConfig({"タイトル=目次"});
    Run.SetDb(&Db);
    Run.SetTemplate(&Template);
    Run.SetOutputFile(Output);
  }

  void ExpectRecorded() {
    const auto lines = Lines(ReadFile(Output));
    ASSERT_EQ(lines.size(), 5u) << ReadFile(Output);
    EXPECT_EQ(lines[0], "argc=4");
    EXPECT_EQ(lines[1], Run.GetGenerationDbPath());
    EXPECT_EQ(lines[2], Output);
    EXPECT_EQ(lines[3], Program);
    EXPECT_EQ(fs::canonical(lines[4]), fs::canonical(fs::path(Program).parent_path()));
    EXPECT_TRUE(fs::exists(Run.GetGenerationDbPath())) << "the program gets a complete database";
  }

  TempFolder Folder;
  std::string Program;
  std::string Output;
  THtmlTemplate Template;
  TProjectDb Db;
  TGenerationRun Run;
};

TEST_F(GenerationRunTest, TheProgramGetsThreeArgumentsInItsOwnFolder) {
  Run.Run();
  for (int i = 0; i < 200 && Lines(ReadFile(Output)).size() < 5; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(25));
  ExpectRecorded();
  fs::remove(Run.GetGenerationDbPath());
}

TEST_F(GenerationRunTest, WaitingPassesOnTheExitStatusAndErrors) {
  setenv("TOC_RECORDER_STATUS", "7", 1);
  std::string errors;
  const int status = Run.RunAndWait(errors);
  unsetenv("TOC_RECORDER_STATUS");
  EXPECT_EQ(status, 7);
  EXPECT_EQ(errors, "recorded\n");
  ExpectRecorded();

  const std::string first = Run.GetGenerationDbPath();
  Run.RunAndWait(errors);
  EXPECT_NE(Run.GetGenerationDbPath(), first) << "each run has its own database";
  fs::remove(first);
  fs::remove(Run.GetGenerationDbPath());
}

TEST_F(GenerationRunTest, AFailedExportStartsNothing) {
  Run.SetDataFile(Folder.File("missing/html.mdb"));
  std::string errors;
  EXPECT_THROW(Run.RunAndWait(errors), std::runtime_error);
  EXPECT_THROW(Run.Run(), std::runtime_error);
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  EXPECT_FALSE(fs::exists(Output));
}

TEST_F(GenerationRunTest, AProgramThatCannotStartIsReported) {
  for (const std::string exe : {"missing-program", ""}) {
    WriteFile(Folder.File("my templates/t.ini"), "[TEMPLATE]\nname=記録\nexe=" + exe + "\n");
    Template = THtmlTemplate(Folder.File("my templates/t.ini"));
    try {
      Run.Run();
      ADD_FAILURE() << "starting '" << exe << "' must fail";
    } catch (const std::runtime_error& e) {
      EXPECT_NE(std::string(e.what()).find("テンプレートプログラムを起動できません。"), std::string::npos)
          << e.what();
    }
    fs::remove(Run.GetGenerationDbPath());
  }
}

}
