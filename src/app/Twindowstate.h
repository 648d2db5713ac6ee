#pragma once

class QMainWindow;
class QTableView;

// The main window's size and position and the widths the user gave the comments
// grid's columns, kept for the next start in Window.ini beside the program's
// settings file.
namespace WindowState {

// Before the window is shown; a stored place that is off every screen now is
// moved onto the window's screen.
void Restore(QMainWindow& window, QTableView& comments);
void Save(const QMainWindow& window, const QTableView& comments);

}
