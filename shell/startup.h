// Start-up and shut-down of the program.
#pragma once

// Runs the start-up sequence up to showing the main window. Returns false when the
// program must end at once (the player is missing or its movie cannot be deployed).
bool StartUp();
void Shutdown();
