// How a file reaches the player.
#pragma once

// Called after each paint of the player window; on the second one the file named on
// the command line, if any, goes to the movie.
void TakeCommandLineFile();
