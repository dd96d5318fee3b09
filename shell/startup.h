// Start-up and shut-down of the program.
#pragma once

// Runs the start-up sequence up to showing the main window. Returns false when the
// program must end at once (the player is missing or its movie cannot be deployed).
bool StartUp();
void Shutdown();
// After the event loop: the windows go, and with them the player control, its movie and
// its streams, while the application object still stands.
void ReleaseShell();
