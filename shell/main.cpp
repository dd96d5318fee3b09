// The program's entry: start up, run the event loop, always end with exit code 0.
#include "command_line.h"
#include "files/file_intake.h"
#include "startup.h"
#include "termination_signals.h"

#include <QApplication>

int main(int argc, char** argv) {
    if (!ReadCommandLineOptions(argc, argv)) return 0;
    QApplication app(argc, argv);
    KeepCommandLine(argc, argv);
    // The program ends through its own shut-down, not when the last window closes.
    QApplication::setQuitOnLastWindowClosed(false);
    HandleTerminationSignals();
    if (StartUp()) QApplication::exec();
    ReleaseShell();
    return 0;
}
