#pragma once

#include "DialogFixture.h"
#include "support/PrivateWorkFolder.h"
#include "support/ScopedEnv.h"
#include "support/TempFolder.h"

#include "app/Tformmain.h"
#include "store/Tkappfolder.h"
#include "ui_Tformmain.h"

#include <QAction>
#include <QTest>

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

// Each test starts real main windows with its own settings and work folders, and
// answers every prompt from the queue of ScriptedPrompts.
class MainWindowFixture : public DialogFixture {
protected:
  // The windows go first, while the scripted prompts still answer for them.
  void TearDown() override {
    Windows.clear();
    DialogFixture::TearDown();
  }

  // A window shown and through its startup steps.
  TFormMain& StartWindow(const std::string& blogTypeFolder = {}, const std::string& templateFolder = {}) {
    auto window = std::make_unique<TFormMain>();
    window->SetBlogTypeFolder(blogTypeFolder);
    window->SetTemplateFolder(templateFolder);
    window->show();
    EXPECT_TRUE(QTest::qWaitFor([&] { return window->IsStarted(); }, 10000));
    Windows.push_back(std::move(window));
    return *Windows.back();
  }

  static void Trigger(TFormMain& window, const char* actionName) {
    QAction* action = window.findChild<QAction*>(QString::fromLatin1(actionName));
    ASSERT_NE(action, nullptr) << actionName;
    action->trigger();
  }

  // A blog type folder holding the shipped blog type's script under these names.
  std::string BlogTypes(const std::vector<std::string>& names) {
    const std::string folder = Files.File("blog" + std::to_string(++FolderCount) + "/");
    std::filesystem::create_directories(folder);
    std::filesystem::copy_file(GetAppDataFolder("blog") + "generic-html5.js", folder + "script.js");
    for (std::size_t index = 0; index < names.size(); ++index)
      WriteFile(folder + "type" + std::to_string(index) + ".ini",
                "[CONFIG]\nname=" + names[index] + "\nsimpletext=" + names[index] +
                    "の説明\n[SCRIPT]\nfile=script.js\nlanguage=JScript\n");
    return folder;
  }

  std::string EmptyFolder() {
    const std::string folder = Files.File("empty" + std::to_string(++FolderCount) + "/");
    std::filesystem::create_directories(folder);
    return folder;
  }

  TempFolder Config;
  ScopedEnv ConfigHome{"XDG_CONFIG_HOME", Config.Path()};
  PrivateWorkFolder Work;
  TempFolder Files;
  std::vector<std::unique_ptr<TFormMain>> Windows;

private:
  int FolderCount = 0;
};
