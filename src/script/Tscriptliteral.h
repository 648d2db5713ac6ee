#pragma once

#include <optional>
#include <string>

// A script string literal (double quotes) whose value is text, UTF-8 in and out.
std::string QuoteScriptString(const std::string& text);

// The value of a literal as QuoteScriptString writes it; nothing for any other
// source.
std::optional<std::string> UnquoteScriptString(const std::string& source);
