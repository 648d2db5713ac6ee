#pragma once

#include <QString>

#include <optional>

class QWidget;

// The address to read for one the user typed: as typed when it has a scheme,
// completed with https:// when the user agrees to it, nothing when the user does not.
std::optional<QString> AskToCompleteScheme(QWidget* parent, const QString& typed);
