#include "crawl/Tblogconfig.h"
#include "support/TempFolder.h"
#include "toc/Ttemplatemanager.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace {

// File names in an order that is neither creation order nor the display names'
// order; byte order puts upper case before lower case and ASCII before kanji.
const std::vector<std::string> FileNames = [] {
  std::vector<std::string> names{"B.ini", "a.ini", "日本.ini", "_x.ini"};
  for (int i = 29; i >= 10; --i)
    names.push_back("t" + std::to_string(i) + ".ini");
  return names;
}();

std::vector<std::string> InByteOrder() {
  std::vector<std::string> names{"B.ini", "_x.ini", "a.ini"};
  for (int i = 10; i <= 29; ++i)
    names.push_back("t" + std::to_string(i) + ".ini");
  names.push_back("日本.ini");
  return names;
}

template <typename Item>
std::vector<std::string> Names(const std::vector<Item>& items) {
  std::vector<std::string> names;
  for (const Item& item : items)
    names.push_back(item.GetName());
  return names;
}

TEST(RegistryOrderTest, BlogTypesAndTemplatesAreListedInFileNameOrder) {
  TempFolder blog;
  TempFolder templates;
  // Display names count down in creation order, so that sorting by them would not pass.
  std::map<std::string, std::string> displayNames;
  for (const std::string& file : FileNames) {
    const std::string name = "型" + std::to_string(100 - displayNames.size());
    displayNames[file] = name;
    WriteFile(blog.File(file), "[CONFIG]\nname=" + name + "\n");
    WriteFile(templates.File(file), "[TEMPLATE]\nname=" + name + "\n");
  }
  std::vector<std::string> expected;
  for (const std::string& file : InByteOrder())
    expected.push_back(displayNames.at(file));

  TBlogConfigManager blogTypes;
  blogTypes.LoadFrom(blog.Path());
  EXPECT_EQ(Names(blogTypes.GetBlogConfigs()), expected);
  TTemplateManager manager;
  manager.LoadFrom(templates.Path());
  EXPECT_EQ(Names(manager.GetTemplates()), expected);
}

}
