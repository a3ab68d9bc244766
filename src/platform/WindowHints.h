#pragma once

class QWidget;

// Asks the window manager for no taskbar button for a top-level window about to be shown, for
// which Qt has no flag. Does nothing where the window system knows no such request.
void keepOffTaskbar(QWidget& window);
