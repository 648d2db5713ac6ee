#include "cli/CliArgs.h"
#include "cli/CliCommands.h"
#include "cli/CliContext.h"
#include "cli/CliDetect.h"
#include "cli/CliSignals.h"
#include "cli/CliText.h"
#include "crawl/BlogDetector.h"
#include "net/Turlscheme.h"

#include <algorithm>
#include <ostream>
#include <stdexcept>

namespace {

// One field of a tab-separated line: no tab or line break of its own.
std::string Field(const std::string& text) {
  std::string field = PrintableText(text);
  std::replace_if(field.begin(), field.end(), [](char c) { return c == '\t' || c == '\n'; }, ' ');
  return field;
}

DetectedBlog DetectOrFail(TCliContext& context, const std::string& url, bool withCategories) {
  context.LoadConnectionSettings();
  BlogDetector detector;
  const PageReadInterruption interruption(detector);
  detector.Fetch(url);
  DetectedBlog detected;
  detected.Types = detector.Detect(context.BlogTypes());
  for (const std::string& error : detector.GetErrors())
    context.Err << "tocwerk-cli: " << PrintableText(error) << '\n';
  if (detected.Types.empty())
    throw std::runtime_error("このページを読めるブログの種類が見つかりません: " + url +
                             "\n「汎用 (HTML5)」で読めるかもしれません。");
  if (withCategories)
    detected.Categories = detector.Categories(detected.Types.front().BlogType);
  return detected;
}

}

std::string UrlWithScheme(TCliContext& context, const std::string& url) {
  if (!LacksScheme(url))
    return url;
  const std::string completed = WithDefaultScheme(url);
  context.Err << "tocwerk-cli: URL に https:// を補いました: " << PrintableText(completed) << '\n';
  return completed;
}

DetectedBlog DetectBlog(TCliContext& context, const std::string& url, bool withCategories) {
  return TellingSignals([&] { return DetectOrFail(context, url, withCategories); });
}

int CommandDetect(TCliContext& context, const std::vector<std::string>& args) {
  const TCliArgs parsed(args, {"categories"}, {});
  if (parsed.Positionals().size() != 1)
    throw TUsageError("ブログのトップページの URL を1つ指定してください。");
  const DetectedBlog detected = DetectBlog(context, UrlWithScheme(context, parsed.Positionals().front()), parsed.Flag("categories"));
  for (const DetectedBlogType& type : detected.Types)
    context.Out << Field(type.BlogType.GetName()) << '\t' << Field(type.Reason) << '\n';
  if (parsed.Flag("categories")) {
    context.Out << '\n';
    for (const TCategoryData& category : detected.Categories)
      context.Out << Field(category.name) << '\t' << Field(category.url) << '\n';
  }
  return 0;
}
