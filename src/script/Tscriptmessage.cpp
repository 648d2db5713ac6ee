#include "script/Tscriptmessage.h"

#include <cstdint>
#include <stdexcept>

namespace {

void AppendLength(std::string& out, size_t length) {
  for (int shift = 0; shift < 32; shift += 8)
    out += static_cast<char>((length >> shift) & 0xFF);
}

} // namespace

std::string EncodeScriptMessage(const std::vector<std::string>& fields) {
  size_t length = 0;
  for (const std::string& field : fields)
    length += 4 + field.size();
  if (length > MaxScriptMessageSize)
    throw std::runtime_error("スクリプトに渡すデータが大きすぎます。");
  std::string out;
  out.reserve(4 + length);
  AppendLength(out, length);
  for (const std::string& field : fields) {
    AppendLength(out, field.size());
    out += field;
  }
  return out;
}

size_t ScriptMessageLength(const char* header) {
  uint32_t length = 0;
  for (int i = 3; i >= 0; --i)
    length = (length << 8) | static_cast<unsigned char>(header[i]);
  return length;
}

std::vector<std::string> DecodeScriptMessage(const std::string& body) {
  std::vector<std::string> fields;
  size_t at = 0;
  while (at < body.size()) {
    if (body.size() - at < 4)
      throw std::runtime_error("スクリプトの実行プロセスとの通信が壊れています。");
    const size_t length = ScriptMessageLength(body.data() + at);
    at += 4;
    if (body.size() - at < length)
      throw std::runtime_error("スクリプトの実行プロセスとの通信が壊れています。");
    fields.push_back(body.substr(at, length));
    at += length;
  }
  return fields;
}
