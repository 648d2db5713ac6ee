// What the HTML helpers cost a blog type's script: a query on a page not seen
// before (its parse included) and one on the page already parsed, through the
// script host as the crawl calls it, and the library alone.
#include "html/HtmlDocument.h"
#include "script/Tscriptcontroller.h"

#include <QCoreApplication>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

constexpr int Runs = 200;
constexpr size_t PageSize = 100 * 1000;
// The query the bundled blog type needs most: an index page's entry links.
const char* const BookmarkXPath = "//a[contains(concat(' ', normalize-space(@rel), ' '), ' bookmark ')]";

// An index page as blog engines write it, different for each run so that the
// host has not parsed it yet.
std::string BlogPage(int run) {
  std::string page =
      "<!DOCTYPE html>\n<html lang=\"ja\"><head><meta charset=\"Shift_JIS\">\n"
      "<title>散歩と読書の日記 - ページ " + std::to_string(run) + "</title>\n"
      "<link rel=\"stylesheet\" href=\"/style.css\"><link rel=\"next\" href=\"/page/2\">\n"
      "<script type=\"application/ld+json\">{\"@type\": \"Blog\", \"name\": \"散歩と読書の日記\"}</script>\n"
      "<style>article { margin: 1em; } .date { color: #888; }</style></head>\n"
      "<body><header><h1><a href=\"/\">散歩と読書の日記</a></h1><nav><ul><li><a href=\"/\">トップ</a></li>"
      "<li><a href=\"/about\">このブログについて</a></li></ul></nav></header>\n<main>\n";
  for (int entry = 0; page.size() < PageSize - 1000; ++entry) {
    const std::string id = std::to_string(run * 1000 + entry);
    page += "<article class=\"entry\"><header><h2><a href=\"/archives/" + id + ".html\" rel=\"bookmark\">"
            "今日の日記：散歩と読書 その" + id + "</a></h2>\n<time datetime=\"2024-01-15T21:30:00+09:00\">"
            "2024年01月15日 (月) 21:30</time></header>\n<div class=\"body\"><p>今日は天気が良かったので、"
            "近所の公園まで散歩に出かけました。帰りに本屋に寄って、前から気になっていた小説を買いました。"
            "</p>\n<p>ｶﾀｶﾅも①②③も㈱も混ざります &amp; a &lt; b.<br>続きは<a href=\"/archives/" + id +
            ".html#more\">こちら</a></p></div>\n<footer><a href=\"/category/diary\" rel=\"tag\">日記</a> | "
            "<a href=\"/archives/" + id + ".html#comments\">コメント(3)</a></footer></article>\n";
  }
  page += "</main><footer><a rel=\"next\" href=\"/page/2\">次のページ</a></footer></body></html>\n";
  return page;
}

double MillisecondsOf(const std::function<void()>& work) {
  const auto start = Clock::now();
  work();
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double Median(std::vector<double> values) {
  std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
  return values[values.size() / 2];
}

void Print(const char* name, double value, const char* unit) {
  std::printf("%s %.3f %s\n", name, value, unit);
  std::fflush(stdout);
}

// The host receives each page with a call that does not look at it; the query
// that follows finds the page already there, as the crawl's second function on a
// page does, so that the time is the query's.
void BenchThroughHost() {
  TScriptController controller;
  controller.LoadScript("JavaScript", std::string("function Receive(page) { return page.length; }\n"
                                                  "function Query(page) {\n"
                                                  "  return QueryHtml(page, \"") +
                                          BookmarkXPath + "\").length;\n}\n");
  std::vector<double> first, cached, roundTrip;
  std::string found;
  for (int run = 0; run < Runs; ++run) {
    const std::string page = QuoteScriptString(BlogPage(run));
    controller.Call("Receive", page);
    first.push_back(MillisecondsOf([&] { found = controller.Call("Query", page); }));
    cached.push_back(MillisecondsOf([&] { controller.Call("Query", page); }));
    roundTrip.push_back(MillisecondsOf([&] { controller.Call("Receive", page); }));
  }
  if (controller.HasError())
    std::fprintf(stderr, "script: %s\n", controller.GetErrorText().c_str());
  Print("html_query_100kb_ms", Median(first), "ms");
  Print("html_query_cached_ms", Median(cached), "ms");
  Print("html_query_call_round_trip_ms", Median(roundTrip), "ms");
  Print("html_query_matches", std::stod(found), "nodes");
}

void BenchLibrary() {
  std::vector<double> parse, query, cached;
  for (int run = 0; run < Runs; ++run) {
    const std::string page = BlogPage(run);
    parse.push_back(MillisecondsOf([&] { HtmlDocument{page}; }));
    query.push_back(MillisecondsOf([&] { HtmlDocument(page).Query(BookmarkXPath); }));
    const HtmlDocument document(page);
    cached.push_back(MillisecondsOf([&] { document.Query(BookmarkXPath); }));
  }
  Print("html_parse_100kb_library_ms", Median(parse), "ms");
  Print("html_query_100kb_library_ms", Median(query), "ms");
  Print("html_query_cached_library_ms", Median(cached), "ms");
}

} // namespace

int main(int argc, char** argv) {
  QCoreApplication application(argc, argv);
  SetScriptHostProgram(TOCWERK_SCRIPT_HOST);
  BenchThroughHost();
  BenchLibrary();
  return 0;
}
