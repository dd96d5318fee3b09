// The program's entry: start up, run the event loop, always end with exit code 0.
#include "command_line.h"
#include "startup.h"

#include <QApplication>

int main(int argc, char** argv) {
    if (!ReadCommandLineOptions(argc, argv)) return 0;
    QApplication app(argc, argv);
    // The program ends through its own shut-down, not when the last window closes.
    QApplication::setQuitOnLastWindowClosed(false);
    if (!StartUp()) return 0;
    QApplication::exec();
    return 0;
}
