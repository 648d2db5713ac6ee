#pragma once

#include <string>
#include <vector>

class TCliContext;

// Exit statuses besides 0 success, 1 failure and 2 a usage mistake, as a shell
// reports a program ended by SIGINT or by writing to a pipe nobody reads.
constexpr int ExitCanceled = 130;
constexpr int ExitOutputGone = 141;

// Each command takes the arguments after its name and returns the exit status.
// Usage mistakes throw TUsageError; other failures throw std::runtime_error with
// the message for standard error.
int CommandList(TCliContext& context, const std::vector<std::string>& args);
int CommandInit(TCliContext& context, const std::vector<std::string>& args);
int CommandCrawl(TCliContext& context, const std::vector<std::string>& args);
int CommandEntries(TCliContext& context, const std::vector<std::string>& args);
int CommandComment(TCliContext& context, const std::vector<std::string>& args);
int CommandMake(TCliContext& context, const std::vector<std::string>& args);
int CommandDetect(TCliContext& context, const std::vector<std::string>& args);
int CommandTry(TCliContext& context, const std::vector<std::string>& args);

// The usage text of a command ("" for the program as a whole).
std::string UsageText(const std::string& command);

// Runs the program: global options, then one command. Returns the exit status.
int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
