// The program's entry: start up, run the event loop, always end with exit code 0.
#include "command_line.h"
#include "files/file_intake.h"
#include "startup.h"
#include "termination_signals.h"

#include <QApplication>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    if (!ReadCommandLineOptions(argc, argv)) return 0;
    {
        QApplication app(argc, argv);
        KeepCommandLine(argc, argv);
        // The program ends through its own shut-down, not when the last window closes.
        QApplication::setQuitOnLastWindowClosed(false);
        HandleTerminationSignals();
        if (StartUp()) QApplication::exec();
        ReleaseShell();
    }
    // Everything of ours is released and written by now. The sound system's client
    // library keeps a thread of its own that may still be answering the server when the
    // toolkit's exit handlers tear its connection down, which aborts the process now and
    // then; so the process ends here, without running them.
    std::fflush(nullptr);
    std::_Exit(0);
}
