#pragma once

class QWidget;

// Shrinks a top-level window to the available area of the screen it opens on and
// moves it inside, so that no edge (a stored position from a bigger screen, a
// size meant for a smaller scale) is out of reach. A window whose minimum size is
// larger keeps its top left corner on the screen.
void FitIntoScreen(QWidget& window);

// Centres a dialog over its parent window, as Qt does when it shows it, for a
// dialog whose size changes after that.
void CentreOverParent(QWidget& dialog);
