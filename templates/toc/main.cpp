// tocwerk-toc DATABASE OUTPUT [PROGRAM]
// Writes the table of contents of a generation database as one HTML file.
#include "TocChoices.h"
#include "TocData.h"
#include "TocLimits.h"
#include "TocOutputFile.h"
#include "TocWriter.h"

#include "store/Tksavefile.h"

#include <cstdio>
#include <exception>
#include <iostream>
#include <new>
#include <stdexcept>
#include <string>

namespace {

// The whole file or nothing: a failed run leaves an earlier output as it was.
void Save(const TSaveTarget& target, const TocData& data, uint64_t limit) {
  const std::string temp = CreateSaveTemp(target);
  try {
    TocOutputFile file(temp, limit);
    WriteToc(data, [&file](std::string_view piece) { file.Write(piece); });
    file.Close();
  } catch (const std::runtime_error& e) {
    std::remove(temp.c_str());
    throw std::runtime_error(CannotSaveMessage(target.Shown, e.what()));
  } catch (...) {
    std::remove(temp.c_str());
    throw;
  }
  CommitSave(temp, target);
}

}

int main(int argc, char** argv) {
  if (argc < 3 || argc > 4) {
    std::cerr << "使い方: tocwerk-toc 生成データベース 出力HTMLファイル [プログラムのパス]\n";
    return 2;
  }
  const TocLimits limits = ReadTocLimits();
  try {
    // The destination is checked first: a refused one costs no reading.
    const TSaveTarget target = ResolveSaveTarget(argv[2]);
    TocMemory memory(limits.Memory);
    const TocData data = ReadTocData(argv[1], memory);
    // A value it does not know still makes a table of contents, but not silently.
    for (const std::string& warning : UnknownValueWarnings(data))
      std::cerr << "tocwerk-toc: " << warning << "\n";
    Save(target, data, limits.Output);
    return 0;
  } catch (const std::bad_alloc&) {
    std::cerr << "tocwerk-toc: " << TooMuchMemoryMessage(limits.Memory) << "\n";
    return 1;
  } catch (const std::exception& e) {
    std::cerr << "tocwerk-toc: " << e.what() << "\n";
    return 1;
  }
}
