// Figures of blog reading: charset conversion (against glibc iconv), quoting,
// starting the script host, one script call over a page, and fetching from a
// loopback server.
#include "net/Thttpclient.h"
#include "net/Tpagefetch.h"
#include "script/Tscriptcontroller.h"
#include "text/Tcharconv.h"

#include "LoopbackServer.h"

#include <QCoreApplication>

#include <iconv.h>

#include <fstream>
#include <sstream>

#include <chrono>
#include <cstdio>
#include <functional>
#include <stdexcept>
#include <string>

namespace {

using Clock = std::chrono::steady_clock;

double SecondsOf(const std::function<void()>& work) {
  const auto start = Clock::now();
  work();
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// The best of a few runs, to keep the machine's other load out of the figure.
double BestSecondsOf(int runs, const std::function<void()>& work) {
  double best = SecondsOf(work);
  for (int i = 1; i < runs; ++i)
    best = std::min(best, SecondsOf(work));
  return best;
}

std::string IconvConvert(const std::string& input, const char* from, const char* to) {
  iconv_t converter = iconv_open(to, from);
  if (converter == reinterpret_cast<iconv_t>(-1))
    throw std::runtime_error("iconv_open failed");
  std::string output(input.size() * 3 + 4, '\0');
  char* in = const_cast<char*>(input.data());
  size_t inLeft = input.size();
  char* out = output.data();
  size_t outLeft = output.size();
  iconv(converter, &in, &inLeft, &out, &outLeft);
  iconv_close(converter);
  output.resize(output.size() - outLeft);
  return output;
}

// A blog page as such pages are: markup around Japanese text.
std::string SamplePageUtf8(size_t size) {
  const std::string block =
      "<div class=\"entry\"><h2><a href=\"http://blog.example.jp/archives/2024/01/15/entry.html\">"
      "今日の日記：散歩と読書</a></h2>\n<p class=\"date\">2024年01月15日 (月) 21:30</p>\n"
      "<p>今日は天気が良かったので、近所の公園まで散歩に出かけました。帰りに本屋に寄って、"
      "前から気になっていた小説を買いました。ｶﾀｶﾅも①②③も㈱も混ざります。</p>\n"
      "<p><a href=\"/category/diary\">日記</a> | <a href=\"#comments\">コメント(3)</a></p></div>\n";
  std::string page;
  while (page.size() < size)
    page += block;
  return page;
}

void Print(const char* name, double value, const char* unit) {
  std::printf("%s %.3f %s\n", name, value, unit);
  std::fflush(stdout);
}

void BenchConversion() {
  const std::string sjis = IconvConvert(SamplePageUtf8(12 * 1000 * 1000), "UTF-8", "CP932")
                               .substr(0, 10 * 1000 * 1000);
  const std::string trimmed = sjis.substr(0, sjis.size() - 2);  // never end inside a character
  const double megabytes = trimmed.size() / 1e6;
  std::string ours, theirs;
  const double icu = BestSecondsOf(5, [&] { ours = ConvertCharset(trimmed, 932); });
  const double iconv = BestSecondsOf(5, [&] { theirs = IconvConvert(trimmed, "CP932", "UTF-8"); });
  Print("convert_sjis_mb_per_s", megabytes / icu, "MB/s");
  Print("iconv_sjis_mb_per_s", megabytes / iconv, "MB/s");
  if (ours.substr(0, 1000) != theirs.substr(0, 1000))
    std::fprintf(stderr, "convert: ICU and iconv differ\n");

  const std::string text = SamplePageUtf8(10 * 1000 * 1000);
  std::string quoted;
  const double quote = BestSecondsOf(5, [&] { quoted = QuoteScriptString(text); });
  Print("quote_mb_per_s", text.size() / 1e6 / quote, "MB/s");
}

// Starting a host and loading the shipped blog type's script into it, as each
// crawl does once.
void BenchScriptHostStart() {
  std::ifstream file(TOCWERK_BLOG_FOLDER "generic-html5.js", std::ios::binary);
  std::stringstream code;
  code << file.rdbuf();
  bool failed = false;
  const double seconds = BestSecondsOf(10, [&] {
    TScriptController controller;
    controller.LoadScript("JavaScript", code.str());
    failed = failed || controller.HasError();
  });
  if (failed)
    std::fprintf(stderr, "script host: the shipped script did not load\n");
  Print("script_host_start_ms", seconds * 1000, "ms");
}

void BenchScriptCall() {
  TScriptController controller;
  controller.LoadScript("JScript",
                        "function Parse(page) {\n"
                        "  var title = /<h2><a href=\"([^\"]*)\">([^<]*)<\\/a>/.exec(page);\n"
                        "  var date = page.match(/(\\d{4})年(\\d{2})月(\\d{2})日/);\n"
                        "  var links = page.match(/<a href=\"[^\"]*\"/g);\n"
                        "  return title[2] + date[1] + links.length;\n"
                        "}\n");
  const std::string page = SamplePageUtf8(100 * 1000);
  const int calls = 200;
  controller.Call("Parse", QuoteScriptString(page));
  const double seconds = SecondsOf([&] {
    for (int i = 0; i < calls; ++i)
      controller.Call("Parse", QuoteScriptString(page));
  });
  if (controller.HasError())
    std::fprintf(stderr, "script: %s\n", controller.GetErrorText().c_str());
  Print("script_call_100kb_ms", seconds * 1000 / calls, "ms");
}

void BenchFetch() {
  const std::string response = HttpResponse(200, "OK", SamplePageUtf8(30 * 1000));
  LoopbackServer server([&response](const HttpRequest&) -> std::optional<std::string> {
    return response;
  });
  THttpClient client;
  const std::string url = server.Url("/entry.html");
  FetchPage(client, url, 65001);
  int fetched = 0;
  const double seconds = SecondsOf([&] {
    const auto end = Clock::now() + std::chrono::seconds(2);
    while (Clock::now() < end) {
      FetchPage(client, url, 65001);
      ++fetched;
    }
  });
  Print("fetch_loopback_per_s", fetched / seconds, "pages/s");
}

} // namespace

int main(int argc, char** argv) {
  QCoreApplication application(argc, argv);
  SetScriptHostProgram(TOCWERK_SCRIPT_HOST);
  BenchConversion();
  BenchScriptHostStart();
  BenchScriptCall();
  BenchFetch();
  return 0;
}
