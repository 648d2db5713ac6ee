#pragma once

#include "crawl/BlogDetector.h"

#include <string>
#include <vector>

class TCliContext;

struct DetectedBlog {
  // Best first; never empty.
  std::vector<DetectedBlogType> Types;
  // Those the best one lists, when asked for.
  std::vector<TCategoryData> Categories;
};

// An address as given, or with https:// in front when it names no
// scheme; the completion is told on standard error, as nobody is asked.
std::string UrlWithScheme(TCliContext& context, const std::string& url);

// Fetches the page once and asks every blog type. Scripts that fail are named on
// standard error; throws std::runtime_error when no blog type recognises the page.
DetectedBlog DetectBlog(TCliContext& context, const std::string& url, bool withCategories);
