#include "crawl/BlogTypeTrial.h"

#include "crawl/BlogDetector.h"
#include "crawl/Tentryparser.h"
#include "script/Tscriptcontroller.h"
#include "store/Tkdatetime.h"
#include "text/Tkdatetext.h"
#include "text/Tkprintable.h"
#include "text/Tktextlines.h"

#include <algorithm>
#include <stdexcept>

namespace {

const char* const CanceledMessage = "取得を中止しました。";

bool ReturnsLines(const std::string& function) {
  return function == "GetEntryList" || function == "GetEntryUrl";
}

// Each address as the crawls read the result: absolute against the page, left out
// when no crawl could read it.
std::vector<std::string> AddressesIn(const std::string& function, const std::string& result,
                                     const std::string& pageUrl) {
  if (function == "GetCategoryList") {
    std::vector<std::string> addresses;
    for (const TCategoryData& category : ParseCategoryList(result, pageUrl))
      addresses.push_back(category.url);
    return addresses;
  }
  if (function == "Detect" || function == "GetTitle" || function == "GetDate")
    return {};
  const std::vector<std::string> lines = ReturnsLines(function) ? SplitLines(result) : std::vector{result};
  std::vector<std::string> addresses;
  for (const std::string& line : lines) {
    const std::string trimmed = TrimControlBytes(line);
    if (trimmed.empty())
      continue;
    try {
      addresses.push_back(ResolveUrlAgainst(pageUrl, trimmed));
    } catch (const std::runtime_error&) {
    }
  }
  return addresses;
}

std::string DateAsRead(const std::string& text) {
  const std::optional<double> date = ReadDateText(text);
  return date ? FormatDateTime(*date) : "読めません";
}

TTrialCall CallOn(TScriptController& controller, const std::string& function, const std::string& quotedPage,
                  const std::string& pageUrl) {
  TTrialCall call;
  call.Function = function;
  const auto start = std::chrono::steady_clock::now();
  const std::string result = controller.Call(function, quotedPage, pageUrl);
  call.Milliseconds = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start)
                          .count();
  if (controller.HasError()) {
    call.Error = ParseScriptFault(controller.GetErrorText());
    return call;
  }
  call.Result = PrintableText(result);
  if (function == "GetDate")
    call.Date = DateAsRead(result);
  call.Addresses = AddressesIn(function, result, pageUrl);
  return call;
}

} // namespace

const std::vector<std::string>& TrialFunctions() {
  static const std::vector<std::string> functions{
      "Detect",   "GetCategoryListUrl", "GetCategoryList", "GetRecentEntry", "GetEntryList", "GetNextEntryListUrl",
      "GetTitle", "GetDate",            "GetNextUrl",      "GetEntryUrl",    "GetNextCategoryUrl"};
  return functions;
}

TScriptFault ParseScriptFault(const std::string& errorText) {
  const size_t comma = errorText.find(',');
  const size_t colon = errorText.find(':');
  if (comma == std::string::npos || colon == std::string::npos || comma > colon)
    return {0, errorText};
  try {
    return {std::stoi(errorText.substr(0, comma)), errorText.substr(colon + 1)};
  } catch (const std::logic_error&) {
    return {0, errorText};
  }
}

bool TTrialReport::HasErrors() const {
  return LoadError || std::any_of(Calls.begin(), Calls.end(), [](const TTrialCall& call) { return call.Error; });
}

void BlogTypeTrial::SetHttpTimeLimits(std::chrono::milliseconds connect, std::chrono::milliseconds idle) {
  Page.Client().SetTimeLimits(connect, idle);
}

TTrialReport BlogTypeTrial::Run(const TBlogConfig& blogType, const std::string& url) {
  try {
    Page.Fetch(url);
  } catch (const std::runtime_error&) {
    if (Canceled)
      throw std::runtime_error(CanceledMessage);
    throw;
  }
  TTrialReport report;
  report.Url = Page.GetUrl();
  TScriptController controller;
  controller.SetLimits(ScriptLimits);
  controller.SetBlogTypeName(blogType.GetName());
  try {
    controller.LoadScript(blogType.GetLanguage(), ReadBlogTypeScript(blogType));
    if (controller.HasError()) {
      report.LoadError = ParseScriptFault(controller.GetErrorText());
      return report;
    }
    const std::string quotedPage = QuoteScriptString(Page.TextFor(blogType));
    for (const std::string& function : TrialFunctions()) {
      if (Canceled)
        throw TCanceled();
      const bool defined = controller.HasFunction(function);
      if (controller.HasError()) {
        report.LoadError = ParseScriptFault(controller.GetErrorText());
        return report;
      }
      if (defined)
        report.Calls.push_back(CallOn(controller, function, quotedPage, report.Url));
    }
  } catch (const TCanceled&) {
    throw std::runtime_error(CanceledMessage);
  }
  return report;
}
