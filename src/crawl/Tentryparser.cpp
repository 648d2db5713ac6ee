#include "crawl/Tentryparser.h"

#include "text/Tktextlines.h"

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

std::string TEntryParser::CallScript(const char* function, const std::string& page, const std::string& url) {
  std::string result = Controller.Call(function, QuoteScriptString(page), url);
  if (Controller.HasError())
    throw std::runtime_error(Controller.GetErrorText());
  return result;
}

std::string TEntryParser::GetRecentEntry(const std::string& page, const std::string& url) {
  return CallScript("GetRecentEntry", page, url);
}

std::string TEntryParser::GetDate(const std::string& page, const std::string& url) {
  return CallScript("GetDate", page, url);
}

std::string TEntryParser::GetTitle(const std::string& page, const std::string& url) {
  return TrimControlBytes(CallScript("GetTitle", page, url));
}

std::string TEntryParser::GetNextUrl(const std::string& page, const std::string& url) {
  return CallScript("GetNextUrl", page, url);
}

TParsedEntry TEntryParser::Parse(const std::string& page, const std::string& url) {
  std::vector<std::string> values =
      Controller.CallEach({"GetDate", "GetTitle", "GetNextUrl"}, QuoteScriptString(page), url);
  if (Controller.HasError())
    throw std::runtime_error(Controller.GetErrorText());
  return {std::move(values[0]), TrimControlBytes(values[1]), std::move(values[2])};
}

TParsedEntry TEntryParser::ParseListed(const std::string& page, const std::string& url) {
  std::vector<std::string> values = Controller.CallEach({"GetDate", "GetTitle"}, QuoteScriptString(page), url);
  if (Controller.HasError())
    throw std::runtime_error(Controller.GetErrorText());
  return {std::move(values[0]), TrimControlBytes(values[1]), std::string()};
}

bool TEntryParser::HasEntryList() {
  const auto ask = [this](const char* function) {
    const bool has = Controller.HasFunction(function);
    if (Controller.HasError())
      throw std::runtime_error(Controller.GetErrorText());
    return has;
  };
  if (!ask("GetEntryList"))
    return false;
  HasNextEntryListUrl = ask("GetNextEntryListUrl");
  HasNextUrlFunction = ask("GetNextUrl");
  return true;
}

std::vector<std::string> TEntryParser::GetEntryList(const std::string& page, const std::string& url) {
  std::vector<std::string> urls;
  for (const std::string& line : SplitLines(CallScript("GetEntryList", page, url))) {
    std::string trimmed = TrimControlBytes(line);
    if (!trimmed.empty())
      urls.push_back(std::move(trimmed));
  }
  return urls;
}

std::string TEntryParser::GetNextEntryListUrl(const std::string& page, const std::string& url) {
  return HasNextEntryListUrl ? TrimControlBytes(CallScript("GetNextEntryListUrl", page, url)) : std::string();
}
