#pragma once

class QApplication;

// Prepares the application before any widget exists: its title and icon, Qt's own
// Japanese texts and dates for the standard buttons and dialogs, and a font with Japanese
// glyphs when one is installed.
void PrepareApplication(QApplication& application);
