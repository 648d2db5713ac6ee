#pragma once

#include <QLabel>
#include <QString>

// A one-line label that shows as much of its text as its width allows, the
// middle left out for "…" (a path keeps its file name), and the whole text in its
// tooltip while it is cut (or a tooltip of its own), always as plain text. It asks
// for the whole text's width and makes do with less.
class TElidedLabel : public QLabel {
  Q_OBJECT

public:
  using QLabel::QLabel;

  // toolTip, when given, is shown whether the text is cut or not.
  void SetFullText(const QString& text, const QString& toolTip = QString());
  const QString& GetFullText() const { return FullText; }

  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;

protected:
  void resizeEvent(QResizeEvent* event) override;

private:
  void Elide();

  QString FullText;
  QString OwnToolTip;
};
