#include "ServedSample.h"

#include <stdexcept>

namespace {

TSampleBlogOptions WithEntries(int entries) {
  TSampleBlogOptions options;
  options.Entries = entries;
  return options;
}

}

ServedSample::ServedSample(int entries, int delayMs) : Blog(WithEntries(entries)) {
  Blog.Write(Folder.File("blog"));
  Server = std::make_unique<ServerProcess>(std::vector<std::string>{
      SAMPLE_SERVER_PROGRAM, "--delay", std::to_string(delayMs), Folder.File("blog")});
}

std::vector<TCategoryData> ServedSample::Categories() const {
  std::vector<TCategoryData> categories;
  for (int c = 0; c < TSampleBlog::CategoryCount; ++c)
    categories.push_back({TSampleBlog::CategoryName(c), Url(TSampleBlog::CategoryPath(c))});
  return categories;
}

TBlogConfig BundledBlogType() {
  TBlogConfigManager manager;
  manager.Load();
  for (const TBlogConfig& blogType : manager.GetBlogConfigs())
    if (blogType.GetName() == "汎用 (HTML5)")
      return blogType;
  throw std::runtime_error("the bundled blog type is missing");
}
