// The signals that ask a program to end (SIGTERM from a desktop session that ends,
// SIGINT from the terminal, SIGHUP when the terminal goes) end this one the way closing
// its window does.
#pragma once

// Catches the three signals from now on; each one closes the main window from the event
// loop, which runs the shut-down.
void HandleTerminationSignals();
