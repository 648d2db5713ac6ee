// Runs a fuzz target over every file of the folders given, without libFuzzer, so
// that the ordinary build replays the seed corpus as a test.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

std::vector<std::filesystem::path> FilesOf(const std::filesystem::path& folder) {
  std::vector<std::filesystem::path> files;
  for (const auto& entry : std::filesystem::directory_iterator(folder))
    if (entry.is_regular_file())
      files.push_back(entry.path());
  std::sort(files.begin(), files.end());
  return files;
}

// Exactly the file's bytes in a buffer of their own, so that the address
// sanitizer sees a read past the end.
std::vector<uint8_t> ReadBytes(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

} // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s FOLDER...\n", argv[0]);
    return 2;
  }
  size_t replayed = 0;
  try {
    for (int i = 1; i < argc; ++i) {
      for (const auto& path : FilesOf(argv[i])) {
        const std::vector<uint8_t> bytes = ReadBytes(path);
        std::fprintf(stderr, "%s\n", path.filename().c_str());
        LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
        ++replayed;
      }
    }
  } catch (const std::filesystem::filesystem_error& error) {
    std::fprintf(stderr, "%s\n", error.what());
    return 1;
  }
  // An empty or missing corpus would pass without testing anything.
  if (replayed == 0) {
    std::fprintf(stderr, "no input files\n");
    return 1;
  }
  std::printf("replayed %zu inputs\n", replayed);
  return 0;
}
