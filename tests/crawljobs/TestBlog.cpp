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
function GetTitle(page) { check(page, 'GetTitle'); return pick(page, 'title'); }
function GetNextUrl(page) { check(page, 'GetNextUrl'); return pick(page, 'next'); }
function GetEntryUrl(page) {
  check(page, 'GetEntryUrl');
  return pick(page, 'urls').replace(/\|/g, '\n');
}
function GetNextCategoryUrl(page) { check(page, 'GetNextCategoryUrl'); return pick(page, 'nextpage'); }
)";

}

TestBlog::TestBlog() : Server([this](const HttpRequest& request) { return Answer(request); }) {
  WriteFile(Folder.File("test.ini"),
            "[CONFIG]\nname=テスト\nencode=UTF-8\n[SCRIPT]\nfile=test.js\nlanguage=JavaScript\n");
  WriteFile(ScriptPath(), Script);
}

void TestBlog::SetPage(const std::string& path, const std::string& body) {
  std::lock_guard lock(Mutex);
  Pages[path] = body;
  Statuses.erase(path);
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

TBlogConfig TestBlog::BlogType() const {
  return TBlogConfig(Folder.File("test.ini"));
}

std::optional<std::string> TestBlog::Answer(const HttpRequest& request) {
  std::lock_guard lock(Mutex);
  if (std::find(Hanging.begin(), Hanging.end(), request.Target) != Hanging.end())
    return std::nullopt;
  if (std::find(Resetting.begin(), Resetting.end(), request.Target) != Resetting.end())
    return std::string();
  if (const auto status = Statuses.find(request.Target); status != Statuses.end())
    return HttpResponse(status->second.first, status->second.second, "error page");
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
