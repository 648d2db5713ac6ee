#pragma once

#include "SampleBlog.h"
#include "ServerProcess.h"
#include "crawl/Tblogconfig.h"
#include "store/Tproject.h"
#include "support/TempFolder.h"

#include <memory>
#include <string>
#include <vector>

// The sample blog written into a fresh folder and served by the real sample
// server, which waits delayMs before each answer.
class ServedSample {
public:
  ServedSample(int entries, int delayMs);

  std::string Url(const std::string& path) const { return Server->Url(path); }
  // Every category of the blog, as the category list hands them to the crawl.
  std::vector<TCategoryData> Categories() const;

  TSampleBlog Blog;

private:
  TempFolder Folder;
  std::unique_ptr<ServerProcess> Server;
};

// The blog type that ships, which reads the sample blog.
TBlogConfig BundledBlogType();
