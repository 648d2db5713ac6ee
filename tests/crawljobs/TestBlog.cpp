#include "TestBlog.h"

#include <algorithm>

namespace {

const char* const Script = R"(// The test blog's marks: "key:value;".
function pick(page, key) {
  var m = new RegExp(key + ':([^;]*);').exec(page);
  return m ? m[1] : '';
}
function check(page, name) {
  if (page.indexOf('fail:' + name + ';') >= 0)
    throw new Error(name + ' failed');
}
function GetRecentEntry(page) { check(page, 'GetRecentEntry'); return pick(page, 'recent'); }
function GetDate(page) { check(page, 'GetDate'); return pick(page, 'date'); }
function GetNextUrl(page) { check(page, 'GetNextUrl'); return pick(page, 'next'); }
function GetEntryUrl(page) {
  check(page, 'GetEntryUrl');
  return pick(page, 'urls').replace(/\|/g, '\n');
}
function GetNextCategoryUrl(page) { check(page, 'GetNextCategoryUrl'); return pick(page, 'nextpage'); }
// "showurl;" asks a title for the address the page was read at.
function GetTitle(page, url) {
  check(page, 'GetTitle');
  return pick(page, 'title') + (page.indexOf('showurl;') >= 0 ? ' @' + url : '');
}
)";

const char* const ListFunctions = R"(
function GetEntryList(page, url) { check(page, 'GetEntryList'); return pick(page, 'list').replace(/\|/g, '\n'); }
function GetNextEntryListUrl(page, url) { return pick(page, 'nextlist'); }
)";

}

TestBlog::TestBlog() : Server([this](const HttpRequest& request) { return Answer(request); }) {
  WriteFile(Folder.File("test.ini"),
            "[CONFIG]\nname=テスト\nencode=UTF-8\n[SCRIPT]\nfile=test.js\nlanguage=JavaScript\n");
  WriteFile(ScriptPath(), Script);
  WriteFile(Folder.File("lists.ini"),
            "[CONFIG]\nname=一覧\nencode=UTF-8\n[SCRIPT]\nfile=lists.js\nlanguage=JavaScript\n");
  WriteFile(Folder.File("lists.js"), std::string(Script) + ListFunctions);
}

void TestBlog::Redirect(const std::string& path, int status, const std::string& location) {
  std::lock_guard lock(Mutex);
  Redirects[path] = location;
  Statuses[path] = {status, "Moved"};
}

void TestBlog::SetPage(const std::string& path, const std::string& body) {
  std::lock_guard lock(Mutex);
  Pages[path] = body;
  Statuses.erase(path);
  Redirects.erase(path);
  std::erase(Resetting, path);
}

void TestBlog::SetStatus(const std::string& path, int status, const std::string& reason) {
  std::lock_guard lock(Mutex);
  Statuses[path] = {status, reason};
}

void TestBlog::Hang(const std::string& path) {
  std::lock_guard lock(Mutex);
  Hanging.push_back(path);
}

void TestBlog::ResetConnection(const std::string& path) {
  std::lock_guard lock(Mutex);
  Resetting.push_back(path);
}

std::string TestBlog::EntryPage(const std::string& date, const std::string& title,
                                const std::string& next) {
  return "<html><body>date:" + date + ";title:" + title + ";next:" + next + ";</body></html>";
}

TBlogConfig TestBlog::BlogType(bool lists) const {
  return TBlogConfig(Folder.File(lists ? "lists.ini" : "test.ini"));
}

std::optional<std::string> TestBlog::Answer(const HttpRequest& request) {
  std::lock_guard lock(Mutex);
  if (std::find(Hanging.begin(), Hanging.end(), request.Target) != Hanging.end())
    return std::nullopt;
  if (std::find(Resetting.begin(), Resetting.end(), request.Target) != Resetting.end())
    return std::string();
  if (const auto status = Statuses.find(request.Target); status != Statuses.end()) {
    const auto redirect = Redirects.find(request.Target);
    const std::string location = redirect == Redirects.end() ? "" : "Location: " + redirect->second + "\r\n";
    return HttpResponse(status->second.first, status->second.second, "error page", location);
  }
  const auto page = Pages.find(request.Target);
  if (page == Pages.end())
    return HttpResponse(404, "Not Found", "missing");
  return HttpResponse(200, "OK", page->second, "Content-Type: text/html; charset=utf-8\r\n");
}

void RecordingListener::Log(const std::string& line) {
  Lines.push_back(line);
  if (Job && CancelWhen && CancelWhen(line))
    Job->Cancel();
}
