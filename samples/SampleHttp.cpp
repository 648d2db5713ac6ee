#include "SampleHttp.h"

#include <filesystem>

namespace {

char Lower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size())
    return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (Lower(a[i]) != Lower(b[i]))
      return false;
  return true;
}

std::string_view Trim(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
    text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
    text.remove_suffix(1);
  return text;
}

int HexValue(char c) {
  if (c >= '0' && c <= '9')
    return c - '0';
  c = Lower(c);
  if (c >= 'a' && c <= 'f')
    return c - 'a' + 10;
  return -1;
}

std::optional<std::string> PercentDecode(std::string_view text) {
  std::string result;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '%') {
      result += text[i];
      continue;
    }
    if (i + 2 >= text.size())
      return std::nullopt;
    const int high = HexValue(text[i + 1]), low = HexValue(text[i + 2]);
    if (high < 0 || low < 0)
      return std::nullopt;
    result += static_cast<char>(high * 16 + low);
    i += 2;
  }
  return result;
}

} // namespace

std::string TSampleRequest::Header(std::string_view name) const {
  for (const auto& [key, value] : Headers)
    if (EqualNoCase(key, name))
      return value;
  return "";
}

bool TSampleRequest::KeepAlive() const {
  const std::string connection = Header("Connection");
  if (Version == "HTTP/1.0")
    return EqualNoCase(connection, "keep-alive");
  return !EqualNoCase(connection, "close");
}

std::optional<std::string> TSampleRequest::Cookie(std::string_view name) const {
  const std::string header = Header("Cookie");
  std::string_view cookies = header;
  while (!cookies.empty()) {
    const size_t end = cookies.find(';');
    const std::string_view pair = Trim(cookies.substr(0, end));
    const size_t equals = pair.find('=');
    if (equals != std::string_view::npos && pair.substr(0, equals) == name)
      return std::string(pair.substr(equals + 1));
    if (end == std::string_view::npos)
      break;
    cookies.remove_prefix(end + 1);
  }
  return std::nullopt;
}

std::optional<TSampleRequest> ParseSampleRequest(std::string_view head) {
  TSampleRequest request;
  size_t lineEnd = head.find("\r\n");
  const std::string_view requestLine = head.substr(0, lineEnd);
  const size_t firstSpace = requestLine.find(' ');
  const size_t lastSpace = requestLine.rfind(' ');
  if (firstSpace == std::string_view::npos || lastSpace == firstSpace)
    return std::nullopt;
  request.Method = requestLine.substr(0, firstSpace);
  request.Target = requestLine.substr(firstSpace + 1, lastSpace - firstSpace - 1);
  request.Version = requestLine.substr(lastSpace + 1);
  if (request.Target.empty() || !request.Version.starts_with("HTTP/1."))
    return std::nullopt;
  while (lineEnd != std::string_view::npos) {
    const size_t start = lineEnd + 2;
    lineEnd = head.find("\r\n", start);
    const std::string_view line = head.substr(start, lineEnd == std::string_view::npos
                                                         ? std::string_view::npos
                                                         : lineEnd - start);
    if (line.empty())
      continue;
    const size_t colon = line.find(':');
    if (colon == std::string_view::npos || colon == 0)
      return std::nullopt;
    request.Headers.emplace_back(std::string(line.substr(0, colon)),
                                 std::string(Trim(line.substr(colon + 1))));
  }
  return request;
}

std::string MakeSampleResponse(int status, std::string_view reason, std::string_view contentType,
                               const std::string& body, const std::string& extraHeaders,
                               bool keepAlive, bool headOnly) {
  std::string response = "HTTP/1.1 " + std::to_string(status) + " " + std::string(reason) +
                         "\r\nContent-Type: " + std::string(contentType) +
                         "\r\nContent-Length: " + std::to_string(body.size()) +
                         "\r\nConnection: " + (keepAlive ? "keep-alive" : "close") + "\r\n" +
                         extraHeaders + "\r\n";
  if (!headOnly)
    response += body;
  return response;
}

std::optional<std::string> ResolveSampleTarget(const std::string& root, const std::string& target) {
  namespace fs = std::filesystem;
  std::string_view path = target;
  path = path.substr(0, path.find_first_of("?#"));
  if (!path.starts_with('/'))
    return std::nullopt;
  const std::optional<std::string> decoded = PercentDecode(path);
  if (!decoded || decoded->find('\0') != std::string::npos || decoded->find('\\') != std::string::npos)
    return std::nullopt;
  fs::path file = root;
  std::string_view rest = *decoded;
  while (!rest.empty()) {
    const size_t slash = rest.find('/');
    const std::string_view segment = rest.substr(0, slash);
    if (segment == "..")
      return std::nullopt;
    if (!segment.empty() && segment != ".")
      file /= segment;
    if (slash == std::string_view::npos)
      break;
    rest.remove_prefix(slash + 1);
  }
  std::error_code error;
  if (fs::is_directory(file, error))
    file /= "index.html";
  // A symbolic link must not lead out of the folder either.
  const fs::path real = fs::canonical(file, error);
  if (error || !fs::is_regular_file(real, error))
    return std::nullopt;
  const std::string realText = real.string();
  if (!realText.starts_with(root) || (realText.size() > root.size() && realText[root.size()] != '/'))
    return std::nullopt;
  return realText;
}

std::string SampleContentType(const std::string& path) {
  const std::string extension = std::filesystem::path(path).extension().string();
  if (extension == ".html" || extension == ".htm")
    return "text/html";
  if (extension == ".css")
    return "text/css";
  if (extension == ".txt")
    return "text/plain";
  return "application/octet-stream";
}
