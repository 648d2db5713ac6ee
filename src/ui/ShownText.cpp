#include "ui/ShownText.h"

#include <QStringList>
#include <QTextBoundaryFinder>

#include <algorithm>

namespace {

using namespace Qt::StringLiterals;

constexpr qsizetype MaxShownLength = 4000;
constexpr qsizetype MaxLineLength = 100;
constexpr qsizetype MaxToolTipLines = 30;
constexpr char16_t Ellipsis = u'…';

bool IsBidiControl(QChar c) {
  return (c.unicode() >= 0x202A && c.unicode() <= 0x202E) || (c.unicode() >= 0x2066 && c.unicode() <= 0x2069);
}

// The first length UTF-16 units, one less where that would split a surrogate pair.
qsizetype CutPoint(const QString& text, qsizetype length) {
  return length > 0 && text[length - 1].isHighSurrogate() ? length - 1 : length;
}

// A line in pieces no longer than a tooltip line, broken where the line may break
// or, where it may not for too long, anywhere.
QStringList BrokenLine(const QString& line) {
  QStringList pieces;
  QTextBoundaryFinder breaks(QTextBoundaryFinder::Line, line);
  qsizetype start = 0;
  while (line.size() - start > MaxLineLength) {
    breaks.setPosition(start + MaxLineLength + 1);
    qsizetype end = breaks.toPreviousBoundary();
    if (end <= start)
      end = start + CutPoint(line.mid(start), MaxLineLength);
    pieces << line.mid(start, end - start);
    start = end;
  }
  pieces << line.mid(start);
  return pieces;
}

// The line with a line break wherever it runs on for MaxLineLength characters
// without a place to break.
QString WithBreaksInLongRuns(const QString& line) {
  QString broken;
  QTextBoundaryFinder breaks(QTextBoundaryFinder::Line, line);
  qsizetype start = 0;
  for (qsizetype end = breaks.toNextBoundary(); end >= 0; end = breaks.toNextBoundary()) {
    QString run = line.mid(start, end - start);
    while (run.size() > MaxLineLength) {
      const qsizetype cut = CutPoint(run, MaxLineLength);
      broken += run.left(cut) + u'\n';
      run.remove(0, cut);
    }
    broken += run;
    start = end;
  }
  return broken;
}

}

QString ShownText(const QString& text) {
  QString shown = text.size() > MaxShownLength ? text.left(CutPoint(text, MaxShownLength - 1)) + Ellipsis : text;
  shown.removeIf(IsBidiControl);
  return shown;
}

// No character takes more than four bytes, so the prefix decodes to more than is
// shown whenever the text is longer.
QString ShownText(const std::string& utf8) {
  const std::size_t decoded = std::min<std::size_t>(utf8.size(), 4 * (MaxShownLength + 1));
  return ShownText(QString::fromUtf8(utf8.data(), static_cast<qsizetype>(decoded)));
}

QString ShownParagraph(const QString& text) {
  QStringList lines = ShownText(text).split(u'\n');
  for (QString& line : lines)
    line = WithBreaksInLongRuns(line);
  return lines.join(u'\n');
}

QString ShownToolTip(const QString& text) {
  const QString shown = ShownText(text);
  if (shown.isEmpty())
    return {};
  QStringList lines;
  for (const QString& line : shown.split(u'\n')) {
    lines << BrokenLine(line.endsWith(u'\r') ? line.chopped(1) : line);
    if (lines.size() > MaxToolTipLines)
      break;
  }
  if (lines.size() > MaxToolTipLines) {
    lines.resize(MaxToolTipLines);
    QString& last = lines.back();
    last = last.left(CutPoint(last, std::min(last.size(), MaxLineLength - 1))) + Ellipsis;
  }
  return u"<p style='white-space:pre-wrap'>"_s + lines.join(u'\n').toHtmlEscaped() + u"</p>"_s;
}
