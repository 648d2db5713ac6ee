#pragma once

#include <QStringList>

#include <string>
#include <vector>

class QTreeWidget;
class THelpBrowser;

// One row of a help dialog's list: its column texts and its help document.
struct THelpRow {
  QStringList Texts;
  std::string HelpPath;
};

// Fills a help dialog's list and keeps the browser on the current row's document:
// the first row's at once, then the one a click or the arrow keys move to. A click
// on an empty part moves no row and so keeps the document.
void ShowHelpRows(QTreeWidget& list, THelpBrowser& browser, const std::vector<THelpRow>& rows);
