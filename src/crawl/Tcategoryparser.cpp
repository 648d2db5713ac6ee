#include "crawl/Tcategoryparser.h"

#include "text/Tktextlines.h"

#include <stdexcept>

void TCategoryParser::LoadScript(const std::string& language, const std::string& code) {
  Controller.LoadScript(language, code);
  if (Controller.HasError())
    throw std::runtime_error(Controller.GetErrorText());
}

std::vector<std::string> TCategoryParser::GetEntryUrl(const std::string& page) {
  return SplitLines(Controller.Call("GetEntryUrl", QuoteScriptString(page)));
}

std::string TCategoryParser::GetNextCategoryUrl(const std::string& page) {
  return Controller.Call("GetNextCategoryUrl", QuoteScriptString(page));
}
