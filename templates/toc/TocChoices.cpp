#include "TocChoices.h"

#include "TocWriter.h"

#include <algorithm>
#include <cstring>

namespace {

struct Choice {
  const char* Name;
  std::vector<std::string> Values;
};

// The first value is the default; the template files declare the same.
const std::vector<Choice>& Choices() {
  static const std::vector<Choice> choices = {
      {TocSettings::Order, {"新しい順", "古い順"}},
      {TocSettings::ShowComments, {"する", "しない"}},
  };
  return choices;
}

const Choice& ChoiceOf(const char* setting) {
  return *std::find_if(Choices().begin(), Choices().end(),
                       [&](const Choice& choice) { return std::strcmp(choice.Name, setting) == 0; });
}

std::string SetValue(const TocData& data, const char* setting) {
  const auto found = data.settings.find(setting);
  return found == data.settings.end() ? std::string() : found->second;
}

bool Known(const Choice& choice, const std::string& value) {
  return std::find(choice.Values.begin(), choice.Values.end(), value) != choice.Values.end();
}

}

std::string ChosenValue(const TocData& data, const char* setting) {
  const Choice& choice = ChoiceOf(setting);
  const std::string value = SetValue(data, setting);
  return Known(choice, value) ? value : choice.Values.front();
}

std::vector<std::string> UnknownValueWarnings(const TocData& data) {
  std::vector<std::string> warnings;
  for (const Choice& choice : Choices()) {
    const std::string value = SetValue(data, choice.Name);
    if (!value.empty() && !Known(choice, value))
      warnings.push_back(std::string(choice.Name) + " の値「" + value + "」は使えません。" +
                         choice.Values.front() + " で作ります。");
  }
  return warnings;
}
