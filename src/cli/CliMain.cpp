#include "cli/CliArgs.h"
#include "cli/CliCommands.h"
#include "cli/CliContext.h"
#include "cli/CliSignals.h"
#include "cli/CliText.h"
#include "store/Tkcancel.h"

#include <algorithm>
#include <exception>
#include <functional>
#include <map>
#include <ostream>

namespace {

using Command = std::function<int(TCliContext&, const std::vector<std::string>&)>;

const std::map<std::string, Command> Commands{
    {"list", CommandList},       {"init", CommandInit},       {"crawl", CommandCrawl},
    {"entries", CommandEntries}, {"comment", CommandComment}, {"make", CommandMake},
    {"detect", CommandDetect},   {"try", CommandTry},
};

// "--name VALUE" or "--name=VALUE" at args[i]; moves i past what it took.
bool TakeOption(const std::vector<std::string>& args, size_t& i, const std::string& name,
                std::string& value) {
  const std::string& arg = args[i];
  if (arg.rfind(name + "=", 0) == 0)
    value = arg.substr(name.size() + 1);
  else if (arg == name)
    value = i + 1 < args.size() ? args[++i] : "";
  else
    return false;
  // An empty value would quietly mean the default.
  if (value.empty())
    throw TUsageError(name + " には値が必要です。");
  ++i;
  return true;
}

// Only among the options: after "--" a "-h" is a file name or a comment.
bool AsksForHelp(const std::vector<std::string>& args) {
  const auto options = std::find(args.begin(), args.end(), "--");
  return std::find(args.begin(), options, "--help") != options ||
         std::find(args.begin(), options, "-h") != options;
}

}

int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  TCliContext context(out, err);
  std::string command;
  try {
    size_t i = 0;
    while (i < args.size() && (TakeOption(args, i, "--data-dir", context.DataDir) ||
                               TakeOption(args, i, "--config", context.ConfigFile))) {
    }
    if (i < args.size() && args[i] == "--")
      ++i;
    context.CheckConfigFile();
    context.CheckDataDir();
    if (i >= args.size() || args[i] == "--help" || args[i] == "-h") {
      (i >= args.size() ? err : out) << UsageText("");
      return i >= args.size() ? 2 : 0;
    }
    command = args[i];
    const auto found = Commands.find(command);
    if (found == Commands.end())
      throw TUsageError("不明なコマンドです: " + command);
    const std::vector<std::string> rest(args.begin() + static_cast<long>(i) + 1, args.end());
    if (AsksForHelp(rest)) {
      out << UsageText(command);
      return 0;
    }
    const CommandInterruption interruption;
    const int status = found->second(context, rest);
    // Whatever the command did, output that did not all arrive is no success; the
    // reader that went away wants no message.
    if (!out.flush())
      return ExitOutputGone;
    return status == 0 && interruption.Signalled() ? ExitCanceled : status;
  } catch (const TCanceledError&) {
    // Ended by a signal the user sent: nothing to tell.
    return ExitCanceled;
  } catch (const TUsageError& e) {
    err << "tocwerk-cli: " << PrintableText(e.what()) << "\n\n" << UsageText(command);
    return 2;
  } catch (const std::exception& e) {
    err << "tocwerk-cli: " << PrintableText(e.what()) << "\n";
    return 1;
  }
}
