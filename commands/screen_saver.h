// Holding off the screen saver: the desktop's, through the freedesktop ScreenSaver
// service on the session bus, and on X11 also the X server's own saver and DPMS.
// Where neither is there, nothing happens.
#pragma once

// Asks the screen savers to stay off until released; a second call while held does
// nothing. Returns whether any of them holds the request.
bool InhibitScreenSaver();
// Gives up a held request, so the screen saver goes back to its own state.
void ReleaseScreenSaver();
bool ScreenSaverInhibited();
