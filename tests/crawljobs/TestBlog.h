#pragma once

#include "LoopbackServer.h"
#include "crawl/Tblogconfig.h"
#include "crawl/Tcrawljob.h"
#include "crawl/Tcrawllistener.h"
#include "support/TempFolder.h"

#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

// A blog on loopback whose pages carry their facts as "key:value;" marks, read by
// a blog type script written for it. Pages may be changed while the server runs.
class TestBlog {
public:
  TestBlog();

  // Also makes the path answer normally again.
  void SetPage(const std::string& path, const std::string& body);
  // Answers this path with a status other than 200.
  void SetStatus(const std::string& path, int status, const std::string& reason);
  // Answers this path with a redirect to location.
  void Redirect(const std::string& path, int status, const std::string& location);
  // Never answers this path.
  void Hang(const std::string& path);
  // Resets the connection instead of answering this path.
  void ResetConnection(const std::string& path);

  std::string Url(const std::string& path) const { return Server.Url(path); }
  int Port() const { return Server.Port(); }
  std::vector<HttpRequest> Requests() const { return Server.Requests(); }
  // An entry page; next is the older entry's URL as the script returns it.
  static std::string EntryPage(const std::string& date, const std::string& title,
                               const std::string& next);

  // The blog type that follows the entries' links; with lists, the one that reads
  // the blog's lists of entries ("list:URL|URL;" and "nextlist:URL;" marks).
  TBlogConfig BlogType(bool lists = false) const;
  std::string ScriptPath() const { return Folder.File("test.js"); }

private:
  std::optional<std::string> Answer(const HttpRequest& request);

  TempFolder Folder;
  std::mutex Mutex;
  std::map<std::string, std::string> Pages;
  std::map<std::string, std::pair<int, std::string>> Statuses;
  std::map<std::string, std::string> Redirects;
  std::vector<std::string> Hanging;
  std::vector<std::string> Resetting;
  LoopbackServer Server;
};

// Keeps every log line; may cancel the job when a line arrives.
class RecordingListener : public TCrawlListener {
public:
  void Log(const std::string& line) override;
  void ShowUrl(const std::string& url) override { Urls.push_back(url); }
  void SetCategoryProgress(int minimum, int maximum, int position) override {
    CategoryProgress.push_back({minimum, maximum, position});
  }

  std::vector<std::string> Lines;
  std::vector<std::string> Urls;
  std::vector<std::vector<int>> CategoryProgress;
  TCrawlJob* Job = nullptr;
  std::function<bool(const std::string&)> CancelWhen;
};
