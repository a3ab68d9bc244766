#pragma once

class QIcon;
class QWidget;

// Asks the window manager for no taskbar button for a top-level window about to be shown, for
// which Qt has no flag. Does nothing where the window system knows no such request.
void keepOffTaskbar(QWidget& window);

// The program's icon (":/kvz.png", among the program's resources), read as the PNG it is: asked
// to guess, Qt would first load every image plugin of the system to try each on it.
QIcon programIcon();
