#include "ui/Tlistpopupmenu.h"

#include <QAbstractItemView>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>

namespace {

bool IsMenuKey(const QKeyEvent& key) {
  return key.key() == Qt::Key_Menu || (key.key() == Qt::Key_F10 && key.modifiers() == Qt::ShiftModifier);
}

}

TListPopupMenu::TListPopupMenu(QAbstractItemView* list, QMenu* menu) : QObject(list), List(list), Menu(menu) {
  List->setContextMenuPolicy(Qt::CustomContextMenu);
  List->installEventFilter(this);
  connect(List, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& at) { Menu->popup(List->viewport()->mapToGlobal(at)); });
}

bool TListPopupMenu::eventFilter(QObject* watched, QEvent* event) {
  const bool fromKeyboard =
      (event->type() == QEvent::KeyPress && IsMenuKey(*static_cast<QKeyEvent*>(event))) ||
      (event->type() == QEvent::ContextMenu &&
       static_cast<QContextMenuEvent*>(event)->reason() == QContextMenuEvent::Keyboard);
  if (!fromKeyboard)
    return QObject::eventFilter(watched, event);
  PopupAtCurrentRow();
  return true;
}

// The middle of the current row's cell; the list's corner when no row is current.
void TListPopupMenu::PopupAtCurrentRow() {
  const QRect row = List->visualRect(List->currentIndex());
  Menu->popup(List->viewport()->mapToGlobal(row.isValid() ? row.center() : QPoint()));
}
