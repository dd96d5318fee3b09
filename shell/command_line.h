// The program's own command-line options, read before anything else starts.
#pragma once

// Reads the options at the head of the argument vector. "-h"/"--help" prints the usage
// and "-V"/"--version" the version on standard output; the program then ends (false).
// "--" ends the options and is taken out of the vector, so whatever follows it is the
// program's first argument. Any other argument is left where it is and taken as the
// program's first argument always was.
bool ReadCommandLineOptions(int& argc, char** argv);

// What "--help" prints.
extern const char UsageText[];
