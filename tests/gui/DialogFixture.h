#pragma once

#include "ScriptedPrompts.h"

#include <gtest/gtest.h>

#include <memory>

// Installs scripted prompts for one test; the test fails when one it queued was
// never shown or one it did not queue was.
class DialogFixture : public ::testing::Test {
protected:
  void SetUp() override {
    auto prompts = std::make_unique<ScriptedPrompts>();
    Prompts = prompts.get();
    TPrompts::Install(std::move(prompts));
  }

  void TearDown() override {
    if (Prompts) {
      EXPECT_TRUE(Prompts->AllAnswered()) << "a prompt the test expected was never shown";
      for (const QString& text : Prompts->GetUnexpected())
        ADD_FAILURE() << "unexpected prompt: " << text.toStdString();
    }
    TPrompts::Install(nullptr);
  }

  // For tests of the real message boxes, which they answer themselves.
  void UseRealPrompts() {
    TPrompts::Install(nullptr);
    Prompts = nullptr;
  }

  ScriptedPrompts* Prompts = nullptr;
};
