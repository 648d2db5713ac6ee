#include "crawl/Tcategoryparser.h"

#include "text/Tktextlines.h"

#include <stdexcept>

void TCategoryParser::LoadScript(const std::string& language, const std::string& code) {
  Controller.LoadScript(language, code);
  if (Controller.HasError())
    throw std::runtime_error(Controller.GetErrorText());
}

std::vector<std::string> TCategoryParser::GetEntryUrl(const std::string& page, const std::string& url) {
  return SplitLines(Controller.Call("GetEntryUrl", QuoteScriptString(page), url));
}

std::string TCategoryParser::GetNextCategoryUrl(const std::string& page, const std::string& url) {
  return Controller.Call("GetNextCategoryUrl", QuoteScriptString(page), url);
}
