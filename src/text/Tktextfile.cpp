#include "text/Tktextfile.h"

#include "text/Tcharconv.h"

#include <fstream>
#include <sstream>
#include <stdexcept>

std::string DecodeTextBytes(const std::string& bytes) {
  static const std::string bom = "\xEF\xBB\xBF";
  if (bytes.compare(0, bom.size(), bom) == 0)
    return bytes.substr(bom.size());
  if (IsValidUtf8(bytes))
    return bytes;
  return ConvertCharset(bytes, 932);
}

std::string ReadFileBytes(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file)
    throw std::runtime_error("ファイルを読み込めません: " + path);
  std::ostringstream content;
  content << file.rdbuf();
  if (file.bad())
    throw std::runtime_error("ファイルを読み込めません: " + path);
  return content.str();
}

std::string ReadTextFile(const std::string& path) {
  return DecodeTextBytes(ReadFileBytes(path));
}
