#pragma once

#include <map>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

// A mistake in how the program was called: exit status 2 with a short usage text.
class TUsageError : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

// The arguments of one command: options "--name VALUE" (or "--name=VALUE"), flags
// "--name", and the plain arguments in order.
class TCliArgs {
public:
  // Throws TUsageError on an option the command does not know or one without its value.
  TCliArgs(const std::vector<std::string>& args, const std::set<std::string>& flags,
           const std::set<std::string>& options);

  bool Flag(const std::string& name) const { return Flags.count(name) > 0; }
  // The last value given, or fallback.
  std::string Value(const std::string& name, const std::string& fallback = "") const;
  bool Has(const std::string& name) const { return Values.count(name) > 0; }
  const std::vector<std::string>& All(const std::string& name) const;
  const std::vector<std::string>& Positionals() const { return Plain; }

private:
  std::set<std::string> Flags;
  std::map<std::string, std::vector<std::string>> Values;
  std::vector<std::string> Plain;
};

// "NAME=VALUE" split at the first "="; throws TUsageError naming the option when
// there is none.
std::pair<std::string, std::string> SplitNameValue(const std::string& text, const std::string& option);
