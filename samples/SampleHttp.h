#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// The little of HTTP/1.1 the sample server needs: a request head, a response, and
// the mapping of a request target onto a file below a folder.

struct TSampleRequest {
  std::string Method;
  std::string Target;
  std::string Version;
  std::vector<std::pair<std::string, std::string>> Headers;

  // The value of a header, "" when absent; the name without regard to case.
  std::string Header(std::string_view name) const;
  // HTTP/1.1 keeps the connection unless told to close; HTTP/1.0 only when asked.
  bool KeepAlive() const;
  // The value of a cookie from the Cookie header; nothing when it is not sent.
  std::optional<std::string> Cookie(std::string_view name) const;
};

// Parses the head of a request (request line and header lines, without the blank
// line that ends it); nothing when it is malformed.
std::optional<TSampleRequest> ParseSampleRequest(std::string_view head);

// A complete response with Content-Length. extraHeaders are whole lines ending in
// CRLF. With headOnly the body is left out but its length is still given.
std::string MakeSampleResponse(int status, std::string_view reason, std::string_view contentType,
                               const std::string& body, const std::string& extraHeaders,
                               bool keepAlive, bool headOnly = false);

// The file a target names below root (root must be canonical: absolute, no links): the
// query is dropped, percent escapes decoded, a folder means its index.html. Nothing
// when the target is malformed, leaves root, or names no regular file.
std::optional<std::string> ResolveSampleTarget(const std::string& root, const std::string& target);

// "text/html" for .html and .htm, and so on by extension.
std::string SampleContentType(const std::string& path);
