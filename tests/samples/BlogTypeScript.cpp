#include "BlogTypeScript.h"

#include "crawl/Tblogconfig.h"
#include "text/Tktextfile.h"

#include <gtest/gtest.h>

#include <stdexcept>

BlogTypeScript::BlogTypeScript() {
  TBlogConfigManager manager;
  manager.LoadFrom(BLOG_TYPE_FOLDER);
  const std::vector<TBlogConfig> types = manager.GetBlogConfigs();
  if (types.empty())
    throw std::runtime_error("no blog type in " BLOG_TYPE_FOLDER);
  Controller.LoadScript(types.front().GetLanguage(), ReadTextFile(types.front().GetScriptPath()));
}

std::string BlogTypeScript::Run(const std::string& function, const std::string& page) {
  const std::string result = Controller.Call(function, QuoteScriptString(page));
  EXPECT_FALSE(Controller.HasError()) << function << ": " << Controller.GetErrorText();
  return result;
}

std::string BlogTypeScript::Title(const std::string& page) {
  std::string title = Run("GetTitle", page);
  const auto blank = [](char c) { return static_cast<unsigned char>(c) < 33; };
  while (!title.empty() && blank(title.back()))
    title.pop_back();
  size_t start = 0;
  while (start < title.size() && blank(title[start]))
    ++start;
  return title.substr(start);
}
