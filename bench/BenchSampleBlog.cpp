#include "BenchSampleBlog.h"

#include <stdexcept>
#include <string>

TBlogConfig BenchBlogType() {
  TBlogConfigManager manager;
  manager.LoadFrom(TOCWERK_BLOG_FOLDER);
  for (const TBlogConfig& blogType : manager.GetBlogConfigs())
    if (blogType.GetName() == BenchBlogTypeName)
      return blogType;
  throw std::runtime_error(std::string("no blog type ") + BenchBlogTypeName);
}
