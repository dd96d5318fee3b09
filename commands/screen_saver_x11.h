// Holding off the X server's own screen saver and display power saving (DPMS) through
// the server's screen-saver extension. Elsewhere than on X11 nothing happens.
#pragma once

// Suspends the server's screen-saver and DPMS timers until resumed; a second call
// while suspended does nothing. Returns whether they are suspended. The server lifts
// the suspension by itself when the program's connection ends, however it ends. The
// user's saver settings (timeouts, DPMS levels) are never changed.
bool SuspendX11ScreenSaver();
// Lets the timers run again, from the time of the last input.
void ResumeX11ScreenSaver();
bool X11ScreenSaverSuspended();
