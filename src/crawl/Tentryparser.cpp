#include "crawl/Tentryparser.h"

#include <stdexcept>

std::string TrimControlBytes(const std::string& text) {
  size_t first = 0;
  size_t last = text.size();
  while (first < last && static_cast<unsigned char>(text[first]) < 33)
    ++first;
  while (last > first && static_cast<unsigned char>(text[last - 1]) < 33)
    --last;
  return text.substr(first, last - first);
}

void TEntryParser::LoadScript(const std::string& language, const std::string& code) {
  Controller.LoadScript(language, code);
  if (Controller.HasError())
    throw std::runtime_error(Controller.GetErrorText());
}

std::string TEntryParser::CallScript(const char* function, const std::string& page) {
  std::string result = Controller.Call(function, QuoteScriptString(page));
  if (Controller.HasError())
    throw std::runtime_error(Controller.GetErrorText());
  return result;
}

std::string TEntryParser::GetRecentEntry(const std::string& page) {
  return CallScript("GetRecentEntry", page);
}

std::string TEntryParser::GetDate(const std::string& page) {
  return CallScript("GetDate", page);
}

std::string TEntryParser::GetTitle(const std::string& page) {
  return TrimControlBytes(CallScript("GetTitle", page));
}

std::string TEntryParser::GetNextUrl(const std::string& page) {
  return CallScript("GetNextUrl", page);
}

TParsedEntry TEntryParser::Parse(const std::string& page) {
  std::vector<std::string> values =
      Controller.CallEach({"GetDate", "GetTitle", "GetNextUrl"}, QuoteScriptString(page));
  if (Controller.HasError())
    throw std::runtime_error(Controller.GetErrorText());
  return {std::move(values[0]), TrimControlBytes(values[1]), std::move(values[2])};
}
