// The two event handlers that see everything the user does with the shell: one on the
// main window, one in front of the player control's own window.
#pragma once

class QEvent;
class QWidget;

// Returns whether the event was consumed.
bool MainWindowProc(QEvent* event);
bool PlayerWindowProc(QEvent* event);
bool CallPreviousPlayerProc(QEvent* event);

void InstallMainWindowProc(QWidget* window);
void InstallPlayerWindowProc(QWidget* window);
