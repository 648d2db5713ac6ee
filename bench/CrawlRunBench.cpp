// The whole entry crawl of a 2,000-entry Shift_JIS sample blog served on loopback by
// the real sample server: its pages per second, its time against fetching the same
// pages with libcurl alone, and the peak memory of tocwerk-cli crawling it; the
// same blog read from archive pages of 100 entries each, against the chain of
// entry links; and detection over every bundled blog type on its top page.
#include "BenchProject.h"
#include "BenchSampleBlog.h"

#include "crawl/BlogDetector.h"
#include "crawl/Tcrawllistener.h"
#include "crawl/Tentrycrawl.h"
#include "net/Tappconfig.h"
#include "script/Tscriptcontroller.h"
#include "store/Tentry.h"
#include "store/Tprojectdb.h"

#include <QCoreApplication>

#include <curl/curl.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

constexpr int Rounds = 5;

struct Child {
  pid_t Pid = -1;
  int Output = -1;
};

// Starts a program with standard output into a pipe (readPipe) or into outputFile,
// and standard error into outputFile or inherited.
Child Spawn(const std::vector<std::string>& arguments, bool readPipe, const std::string& outputFile) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  int pipeFds[2] = {-1, -1};
  if (readPipe) {
    if (pipe2(pipeFds, O_CLOEXEC) != 0)
      throw std::runtime_error("pipe failed");
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
  }
  if (!outputFile.empty()) {
    const int flags = O_WRONLY | O_CREAT | O_TRUNC | O_APPEND;
    if (!readPipe)
      posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, outputFile.c_str(), flags, 0644);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, outputFile.c_str(),
                                     readPipe ? flags : O_WRONLY | O_APPEND, 0644);
  }
  std::vector<char*> argv;
  for (const std::string& argument : arguments)
    argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  Child child;
  const int failed = posix_spawn(&child.Pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (readPipe) {
    close(pipeFds[1]);
    child.Output = pipeFds[0];
  }
  if (failed != 0)
    throw std::runtime_error("cannot start " + arguments.front());
  return child;
}

// Waits (bounded) for the child; its exit status (-1 when it did not exit normally)
// and its own peak resident memory in MB. A child still running at the deadline is
// killed.
struct Ended {
  int Status = -1;
  double PeakRssMb = 0;
};

Ended WaitChild(pid_t pid, std::chrono::seconds limit) {
  const auto deadline = Clock::now() + limit;
  int status = 0;
  rusage usage{};
  pid_t ended = 0;
  while ((ended = wait4(pid, &status, WNOHANG, &usage)) == 0 && Clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  if (ended == 0) {
    kill(pid, SIGKILL);
    wait4(pid, &status, 0, &usage);
  }
  if (ended <= 0)
    return {};
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, usage.ru_maxrss / 1024.0};
}

Ended Run(const std::vector<std::string>& arguments, const std::string& logFile) {
  const Ended ended = WaitChild(Spawn(arguments, false, logFile).Pid, std::chrono::seconds(300));
  if (ended.Status != 0) {
    std::ifstream log(logFile);
    std::fprintf(stderr, "%s", std::string(std::istreambuf_iterator<char>(log), {}).c_str());
    std::string command;
    for (const std::string& argument : arguments)
      command += (command.empty() ? "" : " ") + argument;
    throw std::runtime_error("failed: " + command);
  }
  return ended;
}

// The real sample server on the blog folder; stopped with SIGTERM at the end.
class Server {
public:
  Server(const std::string& folder, const std::string& logFile) {
    const Child child = Spawn({TOCWERK_SAMPLE_SERVER, folder}, true, logFile);
    Pid = child.Pid;
    std::string line;
    const auto deadline = Clock::now() + std::chrono::seconds(10);
    char buffer[64];
    while (line.find('\n') == std::string::npos && Clock::now() < deadline) {
      pollfd readable = {child.Output, POLLIN, 0};
      if (poll(&readable, 1, 100) <= 0)
        continue;
      const ssize_t count = read(child.Output, buffer, sizeof buffer);
      if (count <= 0)
        break;
      line.append(buffer, static_cast<size_t>(count));
    }
    close(child.Output);
    Port = std::atoi(line.c_str());
    if (Port <= 0) {
      Stop();
      throw std::runtime_error("the sample server printed no port");
    }
  }
  ~Server() { Stop(); }
  Server(const Server&) = delete;
  Server& operator=(const Server&) = delete;

  std::string Url(const std::string& path) const {
    return "http://127.0.0.1:" + std::to_string(Port) + path;
  }

private:
  void Stop() {
    if (Pid <= 0)
      return;
    kill(Pid, SIGTERM);
    if (WaitChild(Pid, std::chrono::seconds(5)).Status == -1)
      std::fprintf(stderr, "the sample server did not stop cleanly\n");
    Pid = -1;
  }

  pid_t Pid = -1;
  int Port = 0;
};

class TempFolder {
public:
  TempFolder() {
    std::string name = (std::filesystem::temp_directory_path() / "tocwerk-crawlrun-XXXXXX").string();
    if (mkdtemp(name.data()) == nullptr)
      throw std::runtime_error("mkdtemp failed");
    Path = name + "/";
  }
  ~TempFolder() {
    std::error_code error;
    std::filesystem::remove_all(Path, error);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  std::string Path;
};

// The crawl's order: the top page, then each entry from the newest to the oldest.
std::vector<std::string> CrawlOrder(const Server& server) {
  std::vector<std::string> urls{server.Url("/")};
  for (int number = BenchSampleEntryCount; number >= 1; --number)
    urls.push_back(server.Url("/entry/" + std::to_string(number) + ".html"));
  return urls;
}

size_t AppendBody(char* data, size_t size, size_t count, void* body) {
  static_cast<std::string*>(body)->append(data, size * count);
  return size * count;
}

double RawFetchSeconds(const std::vector<std::string>& urls) {
  CURL* curl = curl_easy_init();
  std::string body;
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, AppendBody);
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, &body);
  curl_easy_setopt(curl, CURLOPT_PROXY, "");
  const auto start = Clock::now();
  for (const std::string& url : urls) {
    body.clear();
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    long status = 0;
    if (curl_easy_perform(curl) == CURLE_OK)
      curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
    if (status != 200 || body.empty()) {
      curl_easy_cleanup(curl);
      throw std::runtime_error("raw fetch failed: " + url);
    }
  }
  const double seconds = SecondsSince(start);
  curl_easy_cleanup(curl);
  return seconds;
}

class ErrorListener : public TCrawlListener {
public:
  void Log(const std::string& line) override {
    if (line.starts_with("Error") || line.starts_with("ERROR"))
      Errors += line + "\n";
  }
  std::string Errors;
};

double CrawlSeconds(const Server& server, const TBlogConfig& blogType, const std::string& start) {
  TProjectDb db;
  db.New(TOCWERK_BLANK_PROJECT);
  ErrorListener listener;
  TEntryCrawl crawl;
  crawl.SetStartUrl(server.Url(start));
  crawl.SetDb(&db);
  crawl.SetBlogConfig(blogType);
  crawl.SetListener(&listener);
  const auto started = Clock::now();
  const bool ok = crawl.Run();
  const double seconds = SecondsSince(started);
  const std::vector<TEntry> entries = LoadEntries(db);
  if (!ok || entries.size() != BenchSampleEntryCount || !entries.front().GetUrl().ends_with("/entry/2000.html"))
    throw std::runtime_error("the crawl stored " + std::to_string(entries.size()) +
                             " entries\n" + listener.Errors);
  return seconds;
}

// Archive pages as blogs list their entries, 100 a page, newest first, each page
// linking the next, older one with rel="next".
void WriteArchive(const std::string& blog) {
  constexpr int PerPage = 100;
  std::filesystem::create_directories(blog + "/archive");
  for (int page = 1; (page - 1) * PerPage < BenchSampleEntryCount; ++page) {
    std::string html = "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>アーカイブ</title></head><body>\n<ul>\n";
    for (int i = 0; i < PerPage; ++i) {
      const int number = BenchSampleEntryCount - (page - 1) * PerPage - i;
      if (number < 1)
        break;
      html += "<li><a rel=\"bookmark\" href=\"/entry/" + std::to_string(number) + ".html\">" +
              std::to_string(number) + "</a></li>\n";
    }
    html += "</ul>\n";
    if (page * PerPage < BenchSampleEntryCount)
      html += "<a rel=\"next\" href=\"/archive/" + std::to_string(page + 1) + ".html\">次へ</a>\n";
    std::ofstream(blog + "/archive/" + std::to_string(page) + ".html") << html << "</body></html>\n";
  }
}

// The bundled blog type's script with more script text after it, as a blog type of
// its own.
TBlogConfig BlogTypeVariant(const TempFolder& temp, const std::string& name, const std::string& more) {
  const TBlogConfig bundled = BenchBlogType();
  const std::string folder = temp.Path + name + "/";
  std::filesystem::create_directories(folder);
  std::filesystem::copy_file(bundled.GetScriptPath(), folder + name + ".js");
  std::ofstream(folder + name + ".js", std::ios::app) << "\n" << more;
  std::ofstream(folder + name + ".ini") << "[CONFIG]\nname=" << name << "\nencode=" << bundled.GetEncode()
                                        << "\n[SCRIPT]\nfile=" << name << ".js\nlanguage=JavaScript\n";
  return TBlogConfig(folder + name + ".ini");
}

// Reads the archive pages: their rel="bookmark" links, then their rel="next" page.
TBlogConfig ListBlogType(const TempFolder& temp) {
  return BlogTypeVariant(temp, "list",
                         "function GetEntryList(page, url) {\n"
                         "  return QueryHtml(page, \"//a[@rel='bookmark']/@href\").map(function (a) { return ResolveUrl(url, a.text); }).join('\\n');\n"
                         "}\n"
                         "function GetNextEntryListUrl(page, url) {\n"
                         "  var next = QueryHtml(page, \"//a[@rel='next']/@href\");\n"
                         "  return next.length ? ResolveUrl(url, next[0].text) : '';\n"
                         "}\n");
}

// Follows the chain alone: the top page's newest entry, then each older-entry link.
TBlogConfig ChainBlogType(const TempFolder& temp) {
  return BlogTypeVariant(temp, "chain", "GetEntryList = undefined;\n");
}

// Detection alone, the page already fetched: every bundled blog type asked.
double DetectMilliseconds(const Server& server) {
  TBlogConfigManager manager;
  manager.LoadFrom(TOCWERK_BLOG_FOLDER);
  BlogDetector detector;
  detector.Fetch(server.Url("/"));
  const auto started = Clock::now();
  const auto found = detector.Detect(manager.GetBlogConfigs());
  const double milliseconds = SecondsSince(started) * 1000;
  if (found.empty())
    throw std::runtime_error("no blog type recognises the sample blog");
  return milliseconds;
}

// tocwerk-cli on a fresh project, started while this process is still small: a
// spawned child's peak memory includes the parent's at the moment it starts.
double CliPeakRssMb(const TempFolder& temp, const Server& server) {
  const std::string config = temp.Path + "config.ini";
  std::ofstream(config) << "[HTTP_PROXY]\nUseProxy=0\nSleepTime=0\n";
  const std::string project = temp.Path + "bench.toc";
  const std::string log = temp.Path + "cli.log";
  const std::string cli = TOCWERK_CLI;
  std::vector<std::string> init{cli, "--config", config, "init", project, "--blog-type", BenchBlogTypeName,
                                "--url", server.Url("/")};
  for (const char* category : {"diary", "software", "food", "travel", "books"})
    init.insert(init.end(), {"--category", std::string(category) + "=" +
                                               server.Url("/category/" + std::string(category) + "/")});
  Run(init, log);
  return Run({cli, "--config", config, "crawl", project, "--entries"}, log).PeakRssMb;
}

} // namespace

int main(int argc, char** argv) {
  SetScriptHostProgram(TOCWERK_SCRIPT_HOST);
  try {
    TempFolder temp;
    const std::string blog = temp.Path + "blog";
    Run({TOCWERK_SAMPLE_BLOG, "--entries", std::to_string(BenchSampleEntryCount), "--per-page", "20",
         "--charset", "Shift_JIS", blog},
        temp.Path + "generate.log");
    WriteArchive(blog);
    Server server(blog, temp.Path + "server.log");

    const double peakRss = CliPeakRssMb(temp, server);

    QCoreApplication application(argc, argv);
    TAppConfig::GetInstance()->SetSleepTime(0);
    TAppConfig::GetInstance()->SetUseProxy(false);
    curl_global_init(CURL_GLOBAL_DEFAULT);
    // The best of a few rounds of each, taken in turns, to keep the shared machine's
    // other load out of both figures alike.
    const std::vector<std::string> urls = CrawlOrder(server);
    const TBlogConfig bundledType = BenchBlogType();
    const TBlogConfig chainType = ChainBlogType(temp);
    const TBlogConfig listType = ListBlogType(temp);
    double raw = RawFetchSeconds(urls);
    double crawl = CrawlSeconds(server, bundledType, "/");
    double chainCrawl = CrawlSeconds(server, chainType, "/");
    double listCrawl = CrawlSeconds(server, listType, "/archive/1.html");
    double detect = DetectMilliseconds(server);
    for (int round = 1; round < Rounds; ++round) {
      raw = std::min(raw, RawFetchSeconds(urls));
      crawl = std::min(crawl, CrawlSeconds(server, bundledType, "/"));
      chainCrawl = std::min(chainCrawl, CrawlSeconds(server, chainType, "/"));
      listCrawl = std::min(listCrawl, CrawlSeconds(server, listType, "/archive/1.html"));
      detect = std::min(detect, DetectMilliseconds(server));
    }
    curl_global_cleanup();

    PrintFigure("crawl_entries_pages_per_s", BenchSampleEntryCount / crawl, "pages/s");
    PrintFigure("crawl_vs_raw_fetch_ratio", crawl / raw, "x");
    PrintFigure("crawl_peak_rss_mb", peakRss, "MB");
    PrintFigure("crawl_list_entries_per_s", BenchSampleEntryCount / listCrawl, "entries/s");
    PrintFigure("crawl_list_vs_chain_ratio", listCrawl / chainCrawl, "x");
    PrintFigure("detect_all_blog_types_ms", detect, "ms");
  } catch (const std::exception& error) {
    std::fprintf(stderr, "bench_crawlrun: %s\n", error.what());
    return 1;
  }
  return 0;
}
