#pragma once

#include "crawl/Tblogconfig.h"

// The crawl benchmarks read a sample blog of this many entries, served by the
// sample server, with the bundled blog type of this name.
constexpr int BenchSampleEntryCount = 2000;
constexpr const char* BenchBlogTypeName = "汎用 (HTML5)";

TBlogConfig BenchBlogType();
