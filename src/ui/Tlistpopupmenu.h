#pragma once

#include <QObject>

class QAbstractItemView;
class QMenu;

// Opens a list's pop-up menu: under the mouse for a right click, at the current row
// for Shift+F10 and the menu key. Not every platform turns those keys into a context
// menu event, and where one does, Qt places it off the row by the header.
class TListPopupMenu : public QObject {
public:
  TListPopupMenu(QAbstractItemView* list, QMenu* menu);

protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  void PopupAtCurrentRow();

  QAbstractItemView* const List;
  QMenu* const Menu;
};
