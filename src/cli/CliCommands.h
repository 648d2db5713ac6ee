#pragma once

#include <string>
#include <vector>

class TCliContext;

// Each command takes the arguments after its name and returns the exit status:
// 0 success, 1 failure. Usage mistakes throw TUsageError; other failures throw
// std::runtime_error with the message for standard error.
int CommandList(TCliContext& context, const std::vector<std::string>& args);
int CommandInit(TCliContext& context, const std::vector<std::string>& args);
int CommandCrawl(TCliContext& context, const std::vector<std::string>& args);
int CommandEntries(TCliContext& context, const std::vector<std::string>& args);
int CommandComment(TCliContext& context, const std::vector<std::string>& args);
int CommandMake(TCliContext& context, const std::vector<std::string>& args);

// The usage text of a command ("" for the program as a whole).
std::string UsageText(const std::string& command);

// Runs the program: global options, then one command. Returns the exit status.
int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
