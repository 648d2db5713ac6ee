#include "ui/Telidedlabel.h"

#include "ui/ShownText.h"

#include <QResizeEvent>

void TElidedLabel::SetFullText(const QString& text, const QString& toolTip) {
  FullText = text;
  OwnToolTip = toolTip;
  updateGeometry();
  Elide();
}

QSize TElidedLabel::sizeHint() const {
  const QMargins margins = contentsMargins();
  return {fontMetrics().horizontalAdvance(FullText) + margins.left() + margins.right() + 2 * margin(),
          QLabel::sizeHint().height()};
}

QSize TElidedLabel::minimumSizeHint() const {
  return {1, QLabel::minimumSizeHint().height()};
}

void TElidedLabel::resizeEvent(QResizeEvent* event) {
  QLabel::resizeEvent(event);
  Elide();
}

void TElidedLabel::Elide() {
  const int room = contentsRect().width() - 2 * margin();
  // Measured as sizeHint measures it: elidedText lays the text out on its own and
  // may find it a pixel wider, cutting a text given all the width it asked for.
  const QString shown = fontMetrics().horizontalAdvance(FullText) <= room
                            ? FullText
                            : fontMetrics().elidedText(FullText, Qt::ElideMiddle, room);
  setText(shown);
  const QString whole = OwnToolTip.isEmpty() && shown != FullText ? FullText : OwnToolTip;
  setToolTip(whole.isEmpty() ? QString() : ShownToolTip(whole));
}
