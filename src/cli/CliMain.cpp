#include "cli/CliArgs.h"
#include "cli/CliCommands.h"
#include "cli/CliContext.h"

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
};

// "--name VALUE" or "--name=VALUE" at args[i]; moves i past what it took.
bool TakeOption(const std::vector<std::string>& args, size_t& i, const std::string& name,
                std::string& value) {
  const std::string& arg = args[i];
  if (arg.rfind(name + "=", 0) == 0) {
    value = arg.substr(name.size() + 1);
  } else if (arg == name) {
    if (i + 1 >= args.size())
      throw TUsageError(name + " には値が必要です。");
    value = args[++i];
  } else {
    return false;
  }
  ++i;
  return true;
}

bool AsksForHelp(const std::vector<std::string>& args) {
  return std::find(args.begin(), args.end(), "--help") != args.end() ||
         std::find(args.begin(), args.end(), "-h") != args.end();
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
    return found->second(context, rest);
  } catch (const TUsageError& e) {
    err << "tocwerk-cli: " << e.what() << "\n\n" << UsageText(command);
    return 2;
  } catch (const std::exception& e) {
    err << "tocwerk-cli: " << e.what() << "\n";
    return 1;
  }
}
