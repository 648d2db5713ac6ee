#include "SampleHttp.h"

#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

TEST(SampleHttpTest, ReadsTheRequestHeadAndItsConnectionWishes) {
  const auto request = ParseSampleRequest(
      "GET /entry/1.html?x=1 HTTP/1.0\r\nHost: 127.0.0.1\r\nconnection:  Keep-Alive \r\n"
      "Cookie: a=1; tocwerk_sample=visited;b=2");
  ASSERT_TRUE(request);
  EXPECT_EQ(request->Method, "GET");
  EXPECT_EQ(request->Target, "/entry/1.html?x=1");
  EXPECT_EQ(request->Header("CONNECTION"), "Keep-Alive");
  EXPECT_TRUE(request->KeepAlive());
  EXPECT_EQ(request->Cookie("tocwerk_sample"), "visited");
  EXPECT_EQ(request->Cookie("b"), "2");
  EXPECT_EQ(request->Cookie("sample"), std::nullopt);

  EXPECT_FALSE(ParseSampleRequest("GET / HTTP/1.0")->KeepAlive());
  EXPECT_TRUE(ParseSampleRequest("GET / HTTP/1.1")->KeepAlive());
  EXPECT_FALSE(ParseSampleRequest("GET / HTTP/1.1\r\nConnection: close")->KeepAlive());
  for (const char* bad : {"GET /", "GET / SPDY/3", "GET / HTTP/1.1\r\nno colon", "GET  HTTP/1.1"})
    EXPECT_FALSE(ParseSampleRequest(bad)) << bad;
}

TEST(SampleHttpTest, TargetsMapOntoFilesInsideTheFolderOnly) {
  TempFolder folder;
  const std::string root = std::filesystem::canonical(folder.Path()).string() + "/site";
  std::filesystem::create_directories(root + "/a b");
  WriteFile(root + "/index.html", "top");
  WriteFile(root + "/a b/c.html", "c");
  WriteFile(folder.File("secret.html"), "secret");

  EXPECT_EQ(ResolveSampleTarget(root, "/"), root + "/index.html");
  EXPECT_EQ(ResolveSampleTarget(root, "/a%20b/c.html#top"), root + "/a b/c.html");
  EXPECT_EQ(ResolveSampleTarget(root, "/./a b//c.html"), root + "/a b/c.html");
  for (const char* refused : {"/a b/", "/missing.html", "/../secret.html", "/%2E%2E/secret.html",
                              "index.html", "/index.html%00.png", "/%zz", "/%2"})
    EXPECT_EQ(ResolveSampleTarget(root, refused), std::nullopt) << refused;
  // A sibling folder whose name starts like the root's is outside too.
  std::filesystem::create_directories(root + "2");
  WriteFile(root + "2/x.html", "x");
  std::filesystem::create_symlink(root + "2/x.html", root + "/x.html");
  EXPECT_EQ(ResolveSampleTarget(root, "/x.html"), std::nullopt);
}

TEST(SampleHttpTest, ResponsesCarryTheirLengthEvenWithoutABody) {
  EXPECT_EQ(MakeSampleResponse(404, "Not Found", "text/html", "gone", "X-A: 1\r\n", false, true),
            "HTTP/1.1 404 Not Found\r\nContent-Type: text/html\r\nContent-Length: 4\r\n"
            "Connection: close\r\nX-A: 1\r\n\r\n");
  EXPECT_EQ(SampleContentType("/x/a.htm"), "text/html");
  EXPECT_EQ(SampleContentType("/x/a.png"), "application/octet-stream");
}

} // namespace
