#include "command_line.h"

#include <cstdio>
#include <string_view>

const char UsageText[] = "Usage: zimo [FILE]\n"
                         "       zimo -- FILE\n"
                         "Plays a Flash Video (.flv) file, or an MP4 or F4V one, in a window.\n"
                         "\n"
                         "  -h, --help     print this help and exit\n"
                         "  -V, --version  print the version and exit\n"
                         "  --             take the next argument as the file, even when it\n"
                         "                 begins with '-'\n"
                         "\n"
                         "Without FILE the player starts empty: open a file from its menu or\n"
                         "drop one on the picture.\n";

bool ReadCommandLineOptions(int& argc, char** argv) {
    if (argc < 2) return true;
    const std::string_view first = argv[1];
    if (first == "-h" || first == "--help") {
        std::fputs(UsageText, stdout);
        return false;
    }
    if (first == "-V" || first == "--version") {
        std::fputs("zimo " ZIMO_VERSION "\n", stdout);
        return false;
    }
    if (first == "--") {
        // The vector's closing null pointer moves down with the rest.
        for (int i = 1; i < argc; ++i)
            argv[i] = argv[i + 1];
        --argc;
    }
    return true;
}
