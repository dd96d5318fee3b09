// Creating the player control inside the main window.
#pragma once

class QWidget;

// Loads the player library, creates the control in host and puts the shell's own
// handler in front of the control's window. Returns the control's window, or null
// when the library, its entry point or the control itself is missing.
QWidget* CreatePlayerControl(QWidget* host);
