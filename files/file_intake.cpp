#include "file_intake.h"

#include "channel/movie_channel.h"
#include "shell/globals.h"

#include <QCoreApplication>
#include <QStringList>

void TakeCommandLineFile() {
    if (PaintCounter++ != 1) return;
    // The platform has already split the command line: the argument is taken whole,
    // spaces and all.
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() < 2 || arguments.at(1).isEmpty()) return;
    PathBufferA = arguments.at(1);
    SendFile(PathBufferA);
}
