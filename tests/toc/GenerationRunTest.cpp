#include "TocTestProject.h"

#include "support/ScopedEnv.h"
#include "support/TempFolder.h"
#include "toc/Tgenerationexportjob.h"
#include "toc/Tgenerationrun.h"
#include "toc/Ttemplatemanager.h"
#include "toc/Ttemplateprogramwatcher.h"

#include <QEventLoop>
#include <QTimer>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
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

// Runs the event loop until one of the object's signals calls done(); a run that
// never ends fails the test instead of hanging it.
void RunUntil(const std::function<void(std::function<void()>)>& connectDone) {
  QEventLoop loop;
  bool ended = false;
  connectDone([&] {
    ended = true;
    loop.quit();
  });
  QTimer::singleShot(std::chrono::minutes(2), &loop, &QEventLoop::quit);
  if (!ended)
    loop.exec();
  ASSERT_TRUE(ended) << "no signal came";
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

  // What the recorder wrote: its arguments, the database present, its own folder.
  void ExpectRecorded(const std::string& database) {
    const auto lines = Lines(ReadFile(Output));
    ASSERT_EQ(lines.size(), 6u) << ReadFile(Output);
    EXPECT_EQ(lines[0], "argc=4");
    EXPECT_EQ(lines[1], database);
    EXPECT_EQ(lines[2], Output);
    EXPECT_EQ(lines[3], Program);
    EXPECT_EQ(lines[4], "database") << "the program gets a complete database";
    EXPECT_EQ(fs::canonical(lines[5]), fs::canonical(fs::path(Program).parent_path()));
  }

  void UseProgram(const std::string& exe) {
    WriteFile(Folder.File("my templates/t.ini"), "[TEMPLATE]\nname=記録\nexe=" + exe + "\n");
    Template = THtmlTemplate(Folder.File("my templates/t.ini"));
  }

  TempFolder Folder;
  std::string Program;
  std::string Output;
  THtmlTemplate Template;
  TProjectDb Db;
  TGenerationRun Run;
};

TEST_F(GenerationRunTest, ADetachedProgramGetsThreeArgumentsInItsOwnFolder) {
  Run.Export();
  Run.StartDetached();
  for (int i = 0; i < 400 && Lines(ReadFile(Output)).size() < 6; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(25));
  ExpectRecorded(Run.GetGenerationDbPath());
  for (int i = 0; i < 400 && fs::exists(Run.GetGenerationDbPath()); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(25));
  EXPECT_FALSE(fs::exists(Run.GetGenerationDbPath())) << "the database goes when its program ends";
}

// How a program ends, and what waiting for it and watching it both report.
struct ProgramCase {
  const char* name;
  std::string exe;
  std::string status;
  std::string message;
  bool crash;
  int exitStatus;          // -1: the run fails
  std::string failure;     // the start of the failure message
  std::string errorOutput; // standard error, in the result or in the failure message
};

const ProgramCase ProgramCases[] = {
    {"success", "it's \"sub\" dir/record er", "", "", false, 0, "", "recorded\n"},
    {"failing", "it's \"sub\" dir/record er", "3", "書けませんでした", false, 3, "", "書けませんでした\n"},
    {"crashing", "it's \"sub\" dir/record er", "", "落ちます", true, -1, "テンプレートプログラムが異常終了しました。",
     "落ちます\n"},
    {"missing", "missing-program", "", "", false, -1, "テンプレートプログラムを起動できません。", ""},
    {"folder", "", "", "", false, -1, "テンプレートプログラムを起動できません。", ""},
};

TEST_F(GenerationRunTest, WaitingAndWatchingReportHowTheProgramEndedAndRemoveTheDatabase) {
  for (const ProgramCase& c : ProgramCases) {
    SCOPED_TRACE(c.name);
    UseProgram(c.exe);
    const ScopedEnv status("TOC_RECORDER_STATUS", c.status);
    const ScopedEnv message("TOC_RECORDER_MESSAGE", c.message);
    const ScopedEnv crash("TOC_RECORDER_CRASH", c.crash ? "1" : "");

    Run.Export();
    const std::string waitedDb = Run.GetGenerationDbPath();
    std::string errors;
    try {
      EXPECT_EQ(Run.Wait(errors), c.exitStatus);
      EXPECT_EQ(errors, c.errorOutput);
      ExpectRecorded(waitedDb);
    } catch (const std::runtime_error& e) {
      EXPECT_EQ(c.exitStatus, -1) << e.what();
      EXPECT_EQ(std::string(e.what()).rfind(c.failure, 0), 0u) << e.what();
      EXPECT_NE(std::string(e.what()).find(c.errorOutput), std::string::npos) << e.what();
    }
    EXPECT_FALSE(fs::exists(waitedDb)) << "waiting removes the database";

    fs::remove(Output);
    Run.Export();
    const std::string watchedDb = Run.GetGenerationDbPath();
    TTemplateProgramWatcher watcher;
    int exitStatus = -1;
    std::string watchedErrors;
    std::string failure;
    RunUntil([&](const std::function<void()>& done) {
      QObject::connect(&watcher, &TTemplateProgramWatcher::Finished, [&, done](int code, const QString& text) {
        exitStatus = code;
        watchedErrors = text.toStdString();
        done();
      });
      QObject::connect(&watcher, &TTemplateProgramWatcher::Failed,
                       [&, done](const QString& text, const QString& errors) {
                         failure = text.toStdString() + "\n" + errors.toStdString();
                         done();
                       });
      watcher.Start(Run);
    });
    EXPECT_EQ(exitStatus, c.exitStatus);
    if (c.exitStatus >= 0) {
      EXPECT_EQ(watchedErrors, c.errorOutput);
      ExpectRecorded(watchedDb);
    } else {
      EXPECT_EQ(failure.rfind(c.failure, 0), 0u) << failure;
      EXPECT_NE(failure.find(c.errorOutput), std::string::npos) << failure;
    }
    EXPECT_FALSE(watcher.IsRunning());
    EXPECT_FALSE(fs::exists(watchedDb)) << "watching removes the database";
    fs::remove(Output);
  }
}

TEST_F(GenerationRunTest, ADetachedProgramThatCannotStartIsReportedAndItsDatabaseRemoved) {
  for (const std::string exe : {"missing-program", ""}) {
    UseProgram(exe);
    Run.Export();
    const std::string database = Run.GetGenerationDbPath();
    try {
      Run.StartDetached();
      ADD_FAILURE() << "starting '" << exe << "' must fail";
    } catch (const std::runtime_error& e) {
      EXPECT_EQ(std::string(e.what()).rfind("テンプレートプログラムを起動できません。", 0), 0u) << e.what();
    }
    EXPECT_FALSE(fs::exists(database));
  }
}

TEST_F(GenerationRunTest, EachExportIsNewAndAFailedOneLeavesNoPath) {
  Run.Export();
  const std::string first = Run.GetGenerationDbPath();
  Run.Export();
  EXPECT_NE(Run.GetGenerationDbPath(), first);
  fs::remove(first);
  Run.RemoveGenerationDb();

  Run.SetDataFile(Folder.File("missing/html.mdb"));
  EXPECT_THROW(Run.Export(), std::runtime_error);
  EXPECT_EQ(Run.GetGenerationDbPath(), "");
  EXPECT_THROW(Run.Command(), std::logic_error) << "nothing to start without a database";
}

TEST_F(GenerationRunTest, TheExportJobRunsOnAWorkerAndReportsOnItsOwnThread) {
  for (const bool blankExists : {true, false}) {
    SCOPED_TRACE(blankExists);
    Run.SetDataFile(blankExists ? BlankGenerationDb() : Folder.File("missing/html.mdb"));
    TGenerationExportJob job(Run);
    bool finished = false;
    std::string failure;
    RunUntil([&](const std::function<void()>& done) {
      QObject::connect(&job, &TGenerationExportJob::Finished, [&, done] {
        finished = true;
        done();
      });
      QObject::connect(&job, &TGenerationExportJob::Failed, [&, done](const QString& message) {
        failure = message.toStdString();
        done();
      });
      job.Start();
      EXPECT_TRUE(job.IsRunning());
      EXPECT_THROW(job.Start(), std::logic_error);
    });
    EXPECT_FALSE(job.IsRunning());
    EXPECT_EQ(finished, blankExists);
    EXPECT_EQ(failure, blankExists ? "" : "データファイルの作成に失敗しました。");
    EXPECT_EQ(fs::exists(Run.GetGenerationDbPath()), blankExists);
    Run.RemoveGenerationDb();
  }
}

TEST_F(GenerationRunTest, RelativePathsReachTheProgramAsAbsoluteOnes) {
  const fs::path here = fs::current_path();
  const THtmlTemplate relative(fs::relative(Folder.File("my templates/t.ini"), here).string());
  ASSERT_TRUE(fs::path(relative.GetExePath()).is_relative());
  Run.SetTemplate(&relative);
  Run.SetOutputFile(fs::relative(Output, here).string());
  Run.Export();
  const std::string database = Run.GetGenerationDbPath();
  const TTemplateCommand command = Run.Command();
  EXPECT_EQ(fs::canonical(command.Program), fs::canonical(Program));
  for (const std::string& path : command.Arguments)
    EXPECT_TRUE(fs::path(path).is_absolute()) << path;
  std::string errors;
  EXPECT_EQ(Run.Wait(errors), 0) << errors;
  const auto lines = Lines(ReadFile(Output));
  ASSERT_EQ(lines.size(), 6u);
  EXPECT_EQ(lines[1], database);
  EXPECT_EQ(fs::canonical(lines[2]), fs::canonical(Output));
  EXPECT_EQ(fs::canonical(lines[3]), fs::canonical(Program)) << "argument 3 is a path that works anywhere";
  EXPECT_EQ(lines[3].find("/./"), std::string::npos) << lines[3];
}

// A program that writes far more to standard error than is worth keeping: waiting
// and watching both keep its last part, read as it arrives.
TEST_F(GenerationRunTest, OnlyTheLastPartOfALongStandardErrorIsKept) {
  WriteFile(Folder.File("my templates/noisy.sh"),
            "#!/bin/sh\nhead -c 3000000 /dev/zero | tr '\\0' 'x' >&2\necho >&2\necho 'last line' >&2\nexit 2\n");
  fs::permissions(Folder.File("my templates/noisy.sh"), fs::perms::owner_all);
  UseProgram("noisy.sh");
  const auto expectTail = [](const std::string& errors) {
    EXPECT_LE(errors.size(), 64u * 1024u);
    EXPECT_GE(errors.size(), 60u * 1024u);
    EXPECT_EQ(errors.substr(errors.size() - 11), "\nlast line\n");
  };

  Run.Export();
  std::string errors;
  EXPECT_EQ(Run.Wait(errors), 2);
  expectTail(errors);

  Run.Export();
  TTemplateProgramWatcher watcher;
  std::string watched;
  RunUntil([&](const std::function<void()>& done) {
    QObject::connect(&watcher, &TTemplateProgramWatcher::Finished, [&, done](int, const QString& text) {
      watched = text.toStdString();
      done();
    });
    watcher.Start(Run);
  });
  expectTail(watched);
}

}
