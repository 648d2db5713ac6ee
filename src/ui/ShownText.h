#pragma once

#include <QString>

#include <string>

// Text from outside the program (a blog, a script, a template program, a project
// or a file name) as a widget shows it. Only what is shown changes; the text
// itself is stored as it is.

// At most a few thousand characters, a cut text ending in "…" (laying out
// megabytes of text freezes or crashes Qt), without the controls that reorder
// what follows them (U+202A–U+202E, U+2066–U+2069).
QString ShownText(const QString& text);
// The same from UTF-8, decoding no more than it shows.
QString ShownText(const std::string& utf8);
// ShownText for a label that wraps its lines: a line break wherever a line runs
// on for too long without a place to break, which would make the label wider
// than the screen.
QString ShownParagraph(const QString& text);
// ShownText as a tooltip: escaped rich text, since a tooltip guesses HTML from
// plain text; lines broken where they run wider than the screen, and at most a
// screenful of them. Empty for an empty text, which shows no tooltip.
QString ShownToolTip(const QString& text);
