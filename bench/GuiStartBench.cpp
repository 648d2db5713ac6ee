// gui_start_ms: from starting the window's process to the window shown with its
// lists filled, with 50 blog types and 50 templates installed in a scratch copy of
// the program folder. The median of several starts.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

#include <unistd.h>

namespace fs = std::filesystem;

namespace {

constexpr int Installed = 50;
constexpr int Runs = 7;

std::string ReadText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteText(const fs::path& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

// The text with the value of its "name=" line replaced.
std::string Renamed(const std::string& text, const std::string& name) {
  const std::size_t start = text.find("\nname=") + 6;
  return text.substr(0, start) + name + text.substr(text.find('\n', start));
}

fs::path MakeProgramFolder(const fs::path& scratch) {
  const fs::path source = TOCWERK_BIN_DIR;
  const fs::path bin = scratch / "bin";
  fs::create_directories(bin / "blog");
  fs::create_directories(bin / "template");
  fs::copy(source / "db", bin / "db");
  fs::copy_file(TOCWERK_GUI_START_WINDOW, bin / "tocwerk");
  fs::copy_file(source / "blog" / "generic-html5.js", bin / "blog" / "generic-html5.js");
  fs::copy_file(TOCWERK_TOC_PROGRAM, bin / "template" / "tocwerk-toc");
  const std::string blogType = ReadText(source / "blog" / "generic-html5.ini");
  const std::string htmlTemplate = ReadText(source / "template" / "category.ini");
  for (int index = 0; index < Installed; ++index) {
    const std::string number = std::to_string(100 + index);
    WriteText(bin / "blog" / ("type" + number + ".ini"), Renamed(blogType, "ブログ" + number));
    WriteText(bin / "template" / ("toc" + number + ".ini"), Renamed(htmlTemplate, "目次" + number));
  }
  return bin / "tocwerk";
}

// The offscreen platform's notices go to a file, shown only when the start failed.
double StartOnce(const fs::path& program, const fs::path& errors) {
  const auto start = std::chrono::steady_clock::now();
  FILE* child = popen(("'" + program.string() + "' 2>'" + errors.string() + "'").c_str(), "r");
  if (!child)
    throw std::runtime_error("cannot start " + program.string());
  char line[64] = {};
  const bool answered = std::fgets(line, sizeof line, child) != nullptr;
  const auto shown = std::chrono::steady_clock::now();
  const int status = pclose(child);
  int blogTypes = 0;
  int templates = 0;
  if (!answered || status != 0 || std::sscanf(line, "%d %d", &blogTypes, &templates) != 2 ||
      blogTypes != Installed)
    throw std::runtime_error("the window did not start with its blog types: " + std::string(line) +
                             ReadText(errors));
  return std::chrono::duration<double, std::milli>(shown - start).count();
}

}

int main() {
  const fs::path scratch = fs::temp_directory_path() / ("tocwerk-guistart-" + std::to_string(getpid()));
  try {
    const fs::path program = MakeProgramFolder(scratch);
    setenv("XDG_CONFIG_HOME", (scratch / "config").c_str(), 1);
    setenv("XDG_CACHE_HOME", (scratch / "cache").c_str(), 1);
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    const fs::path errors = scratch / "stderr";
    StartOnce(program, errors);
    std::vector<double> times;
    for (int run = 0; run < Runs; ++run)
      times.push_back(StartOnce(program, errors));
    std::sort(times.begin(), times.end());
    std::printf("gui_start_ms %.0f ms\n", times[times.size() / 2]);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "bench_guistart: %s\n", error.what());
    fs::remove_all(scratch);
    return 1;
  }
  fs::remove_all(scratch);
  return 0;
}
