#include "ui/Tscreenfit.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <algorithm>

namespace {

// The screen under the window's centre; the window's own when it is on none.
const QScreen* ScreenOf(const QWidget& window) {
  const QScreen* screen = QGuiApplication::screenAt(window.geometry().center());
  return screen ? screen : window.screen();
}

int Inside(int position, int length, int start, int available) {
  return std::max(start, std::min(position, start + available - length));
}

}

void FitIntoScreen(QWidget& window) {
  const QScreen* screen = ScreenOf(window);
  if (!screen)
    return;
  const QRect available = screen->availableGeometry();
  // The frame is known once the window is shown; before, it counts as none.
  const QSize frame = window.frameGeometry().size() - window.geometry().size();
  const QSize size = window.size().boundedTo(available.size() - frame).expandedTo(window.minimumSize());
  window.resize(size);
  const QPoint corner = window.frameGeometry().topLeft();
  const QPoint inside(Inside(corner.x(), size.width() + frame.width(), available.left(), available.width()),
                      Inside(corner.y(), size.height() + frame.height(), available.top(), available.height()));
  // Before the window is shown its frame is not known: a move would take the
  // place of the window's inside for that of its frame.
  if (inside != corner)
    window.move(inside);
}

void CentreOverParent(QWidget& dialog) {
  const QWidget* parent = dialog.parentWidget();
  if (!parent)
    return;
  const QRect frame = dialog.frameGeometry();
  dialog.move(parent->window()->frameGeometry().center() - QPoint(frame.width() / 2, frame.height() / 2));
  FitIntoScreen(dialog);
}
