#include "cli/CliArgs.h"
#include "cli/CliCommands.h"
#include "cli/CliContext.h"
#include "cli/CliDetect.h"
#include "cli/CliSignals.h"
#include "cli/CliText.h"
#include "crawl/BlogTypeTrial.h"
#include "text/Tktextlines.h"

#include <ostream>

namespace {

std::string FaultText(const TScriptFault& fault) {
  return (fault.Line > 0 ? std::to_string(fault.Line) + " 行目: " : std::string()) + PrintableText(fault.Message, U"");
}

void WriteIndented(std::ostream& out, const std::string& text) {
  for (const std::string& line : SplitLines(text))
    out << "    " << PrintableText(line, U"\t") << '\n';
}

void WriteText(std::ostream& out, const TTrialReport& report) {
  out << "URL: " << PrintableText(report.Url, U"") << '\n';
  if (report.LoadError)
    out << "スクリプトを読み込めません: " << FaultText(*report.LoadError) << '\n';
  for (const TTrialCall& call : report.Calls) {
    CommandInterruption::ThrowIfSignalled();
    out << '\n' << call.Function << " (" << call.Milliseconds << " ms)\n";
    if (call.Error) {
      out << "  エラー: " << FaultText(*call.Error) << '\n';
      continue;
    }
    out << "  結果:" << (call.Result.empty() ? " (空)" : "") << '\n';
    WriteIndented(out, call.Result);
    if (call.Function == "GetDate")
      out << "  日付: " << call.Date << '\n';
    if (!call.Addresses.empty()) {
      out << "  アドレス:\n";
      for (const std::string& address : call.Addresses)
        out << "    " << PrintableText(address, U"") << '\n';
    }
  }
}

std::string FaultJson(const std::optional<TScriptFault>& fault) {
  if (!fault)
    return "null";
  return "{\"line\": " + std::to_string(fault->Line) + ", \"message\": " + JsonString(fault->Message) + "}";
}

void WriteJson(std::ostream& out, const TTrialReport& report) {
  out << "{\"url\": " << JsonString(report.Url) << ",\n \"load_error\": " << FaultJson(report.LoadError)
      << ",\n \"functions\": [";
  for (size_t i = 0; i < report.Calls.size(); ++i) {
    const TTrialCall& call = report.Calls[i];
    out << (i ? ",\n  " : "\n  ") << "{\"name\": " << JsonString(call.Function) << ", \"ms\": " << call.Milliseconds
        << ", \"result\": " << JsonString(call.Result)
        << ", \"date\": " << (call.Function == "GetDate" && !call.Error ? JsonString(call.Date) : "null")
        << ", \"error\": " << FaultJson(call.Error) << ", \"addresses\": [";
    for (size_t j = 0; j < call.Addresses.size(); ++j)
      out << (j ? ", " : "") << JsonString(call.Addresses[j]);
    out << "]}";
  }
  out << (report.Calls.empty() ? "]}\n" : "\n ]}\n");
}

TTrialReport Try(TCliContext& context, const TBlogConfig& blogType, const std::string& url) {
  context.LoadConnectionSettings();
  BlogTypeTrial trial;
  const PageReadInterruption interruption(trial);
  return TellingSignals([&] { return trial.Run(blogType, url); });
}

}

int CommandTry(TCliContext& context, const std::vector<std::string>& args) {
  const TCliArgs parsed(args, {"json"}, {});
  if (parsed.Positionals().size() != 2)
    throw TUsageError("ブログの種類の名前とページの URL を指定してください。");
  const TBlogConfig blogType = context.BlogType(parsed.Positionals()[0]);
  const TTrialReport report = Try(context, blogType, UrlWithScheme(context, parsed.Positionals()[1]));
  if (parsed.Flag("json"))
    WriteJson(context.Out, report);
  else
    WriteText(context.Out, report);
  if (!report.HasErrors())
    return 0;
  context.Err << "tocwerk-cli: スクリプトでエラーが起きました。\n";
  return 1;
}
