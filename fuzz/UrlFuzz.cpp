// URLs a script returns: made absolute against the page read last, and folded
// into the key that compares them as the database's url columns do.
#include "FuzzCheck.h"

#include "crawl/Tcrawljob.h"
#include "net/Thttpclient.h"
#include "net/Tkurlkey.h"

#include <sqlite3.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

// A crawl that has read one page, so that relative URLs resolve against it.
class PageReadJob : public TCrawlJob {
public:
  explicit PageReadJob(const std::string& page) : Origin(OriginOf(page)) {
    // A canceled request still becomes the page read last, without any traffic.
    Cancel();
    try {
      Http.Get(page);
    } catch (const std::runtime_error&) {
    }
  }

  bool Run() override { return true; }
  using TCrawlJob::Absolute;
  std::string ResolveAgain(const std::string& url) const { return Http.Resolve(url); }

  const std::string Origin;

private:
  static std::string OriginOf(const std::string& page) {
    return page.substr(0, page.find('/', page.find("//") + 2) + 1);
  }
};

const std::vector<std::unique_ptr<PageReadJob>>& Jobs() {
  static const std::vector<std::unique_ptr<PageReadJob>> jobs = [] {
    std::vector<std::unique_ptr<PageReadJob>> all;
    for (const char* page : {"http://127.0.0.1:8080/blog/2024/05/entry.html?page=2#top",
                             "https://example.jp/", "http://[::1]/a/b/c/"})
      all.push_back(std::make_unique<PageReadJob>(page));
    return all;
  }();
  return jobs;
}

// Whether SQLite's NOCASE collation takes the two texts as one.
bool SameInDatabase(const std::string& a, const std::string& b) {
  static sqlite3* db = [] {
    sqlite3* opened = nullptr;
    Require(sqlite3_open(":memory:", &opened) == SQLITE_OK, "an in-memory database opens");
    return opened;
  }();
  sqlite3_stmt* statement = nullptr;
  Require(sqlite3_prepare_v2(db, "SELECT ?1 = ?2 COLLATE NOCASE", -1, &statement, nullptr) == SQLITE_OK,
          "the comparison compiles");
  sqlite3_bind_text(statement, 1, a.data(), static_cast<int>(a.size()), SQLITE_TRANSIENT);
  sqlite3_bind_text(statement, 2, b.data(), static_cast<int>(b.size()), SQLITE_TRANSIENT);
  Require(sqlite3_step(statement) == SQLITE_ROW, "the comparison runs");
  const bool same = sqlite3_column_int(statement, 0) != 0;
  sqlite3_finalize(statement);
  return same;
}

void CheckKey(const std::string& a, const std::string& b) {
  Require((UrlKey(a) == UrlKey(b)) == SameInDatabase(a, b), "URL keys match as the database compares");
}

// The URL with the letter case of some bytes turned, and one byte replaced.
std::string Varied(std::string url, uint8_t caseMask, size_t position, char replacement) {
  for (size_t i = 0; i < url.size(); ++i) {
    if (((caseMask >> (i % 8)) & 1) == 0)
      continue;
    char& c = url[i];
    if (c >= 'a' && c <= 'z')
      c = static_cast<char>(c - 'a' + 'A');
    else if (c >= 'A' && c <= 'Z')
      c = static_cast<char>(c - 'A' + 'a');
  }
  if (!url.empty())
    url[position % url.size()] = replacement;
  return url;
}

bool HasBlankOrControl(const std::string& text) {
  for (const char c : text)
    if (static_cast<unsigned char>(c) <= ' ' || c == '\x7F')
      return true;
  return false;
}

void CheckAbsolute(const PageReadJob& job, const std::string& url) {
  const std::string absolute = job.Absolute(url);
  if (url.empty() || HasUrlScheme(url)) {
    Require(absolute == url, "an absolute URL stays as written");
    return;
  }
  if (absolute == url)
    return;
  Require(HasUrlScheme(absolute), "a resolved URL is absolute");
  Require(!HasBlankOrControl(absolute), "a resolved URL holds no blank or control character");
  Require(job.ResolveAgain(absolute) == absolute, "a resolved URL resolves to itself");
  const bool leavesHost = url.size() >= 2 && (url[0] == '/' || url[0] == '\\') && (url[1] == '/' || url[1] == '\\');
  if (!leavesHost)
    Require(absolute.starts_with(job.Origin), "a relative URL stays on the page's host");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 4)
    return 0;
  const std::string url(reinterpret_cast<const char*>(data) + 4, size - 4);
  const PageReadJob& job = *Jobs()[data[0] % Jobs().size()];

  CheckAbsolute(job, url);
  CheckKey(url, url);
  CheckKey(url, Varied(url, data[1], data[2], static_cast<char>(data[3])));
  CheckKey(url, job.Absolute(url));
  return 0;
}
