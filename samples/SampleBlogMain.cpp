// tocwerk-sample-blog: writes the sample blog into a folder.
#include "SampleBlog.h"

#include <exception>
#include <iostream>
#include <stdexcept>
#include <string>

namespace {

const char* const Usage =
    "usage: tocwerk-sample-blog [options] FOLDER\n"
    "  --entries N        number of entries (default 60)\n"
    "  --per-page N       entries per category page (default 10)\n"
    "  --charset NAME     UTF-8 (default), Shift_JIS or EUC-JP\n"
    "  --base-url URL     write absolute links under URL (default: root-relative links)\n"
    "Entry k (1 is the oldest) keeps its URL, title and date whatever N is: writing the\n"
    "blog again into the same folder with a larger N adds newer entries in front.\n";

int ParseCount(const std::string& option, const std::string& text) {
  size_t used = 0;
  int value = 0;
  try {
    value = std::stoi(text, &used);
  } catch (const std::exception&) {
    used = 0;
  }
  if (used != text.size() || value < 1)
    throw std::invalid_argument(option + " needs a whole number of at least 1: " + text);
  return value;
}

} // namespace

int main(int argc, char** argv) {
  TSampleBlogOptions options;
  std::string folder;
  try {
    for (int i = 1; i < argc; ++i) {
      const std::string argument = argv[i];
      if (argument == "--help" || argument == "-h") {
        std::cout << Usage;
        return 0;
      }
      const bool takesValue = argument == "--entries" || argument == "--per-page" ||
                              argument == "--charset" || argument == "--base-url";
      if (takesValue && i + 1 >= argc)
        throw std::invalid_argument(argument + " needs a value");
      if (argument == "--entries")
        options.Entries = ParseCount(argument, argv[++i]);
      else if (argument == "--per-page")
        options.EntriesPerPage = ParseCount(argument, argv[++i]);
      else if (argument == "--charset")
        options.Charset = ParseSampleCharset(argv[++i]);
      else if (argument == "--base-url")
        options.BaseUrl = argv[++i];
      else if (argument.starts_with("-") || !folder.empty())
        throw std::invalid_argument("unexpected argument: " + argument);
      else
        folder = argument;
    }
    if (folder.empty())
      throw std::invalid_argument("no output folder given");
  } catch (const std::exception& error) {
    std::cerr << "tocwerk-sample-blog: " << error.what() << "\n" << Usage;
    return 2;
  }

  try {
    TSampleBlog(options).Write(folder);
  } catch (const std::exception& error) {
    std::cerr << "tocwerk-sample-blog: " << error.what() << "\n";
    return 1;
  }
  return 0;
}
