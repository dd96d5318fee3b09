// Holding off the desktop's screen saver through the freedesktop ScreenSaver service
// on the session bus. Without a session bus or the service, nothing happens.
#pragma once

// Asks the screen saver to stay off until released; a second call while held does
// nothing. Returns whether the request is held.
bool InhibitScreenSaver();
// Gives up a held request, so the screen saver goes back to its own state.
void ReleaseScreenSaver();
bool ScreenSaverInhibited();
