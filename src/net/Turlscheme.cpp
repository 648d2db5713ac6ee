#include "net/Turlscheme.h"

namespace {

bool IsLetter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

std::string Trimmed(const std::string& text) {
  const auto first = text.find_first_not_of(" \t\r\n");
  if (first == std::string::npos)
    return {};
  return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

// RFC 3986: a letter, then letters, digits, "+", "-" or ".".
bool IsScheme(const std::string& text) {
  if (text.empty() || !IsLetter(text.front()))
    return false;
  for (const char c : text)
    if (!IsLetter(c) && !(c >= '0' && c <= '9') && c != '+' && c != '-' && c != '.')
      return false;
  return true;
}

}

bool LacksScheme(const std::string& url) {
  const std::string trimmed = Trimmed(url);
  if (trimmed.empty())
    return false;
  const auto separator = trimmed.find("://");
  return separator == std::string::npos || !IsScheme(trimmed.substr(0, separator));
}

std::string WithDefaultScheme(const std::string& url) {
  const std::string trimmed = Trimmed(url);
  return LacksScheme(trimmed) ? "https://" + trimmed : trimmed;
}
