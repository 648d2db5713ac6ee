#include "cli/CliArgs.h"

TCliArgs::TCliArgs(const std::vector<std::string>& args, const std::set<std::string>& flags,
                   const std::set<std::string>& options) {
  bool onlyPlain = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (!onlyPlain && arg == "--") {
      onlyPlain = true;
      continue;
    }
    if (onlyPlain || arg.size() < 3 || arg.compare(0, 2, "--") != 0) {
      Plain.push_back(arg);
      continue;
    }
    const auto equals = arg.find('=');
    const std::string name = arg.substr(2, equals == std::string::npos ? std::string::npos : equals - 2);
    if (flags.count(name) && equals == std::string::npos) {
      Flags.insert(name);
    } else if (options.count(name)) {
      if (equals != std::string::npos)
        Values[name].push_back(arg.substr(equals + 1));
      else if (i + 1 < args.size())
        Values[name].push_back(args[++i]);
      else
        throw TUsageError("--" + name + " には値が必要です。");
    } else {
      throw TUsageError("不明なオプションです: " + arg);
    }
  }
}

std::string TCliArgs::Value(const std::string& name, const std::string& fallback) const {
  const auto found = Values.find(name);
  return found == Values.end() ? fallback : found->second.back();
}

const std::vector<std::string>& TCliArgs::All(const std::string& name) const {
  static const std::vector<std::string> none;
  const auto found = Values.find(name);
  return found == Values.end() ? none : found->second;
}

std::pair<std::string, std::string> SplitNameValue(const std::string& text, const std::string& option) {
  const auto equals = text.find('=');
  if (equals == std::string::npos)
    throw TUsageError(option + " は 名前=値 の形で指定してください: " + text);
  return {text.substr(0, equals), text.substr(equals + 1)};
}
