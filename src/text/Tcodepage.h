#pragma once

#include <map>
#include <string>
#include <vector>

// The fixed table from charset names to Windows code page numbers.
class TCodePage {
public:
  static TCodePage* GetInstance();

  // The code page of a charset name, without regard to ASCII letter case; -1 when
  // the name is not in the table. The name is not trimmed.
  int FindCodePage(const std::string& name) const;

  // Code page to its names, upper-cased, in table order.
  const std::map<int, std::vector<std::string>>& GetTable() const { return Table; }

private:
  TCodePage();

  std::map<int, std::vector<std::string>> Table;
};
