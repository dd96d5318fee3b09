// Plays a file in real time on the system clock, polling the stream 30 times
// a second as the player does, and prints what it reports and how many
// pictures it showed. Usage: media_play FILE [SECONDS] [--silent]
#include "media/stream.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <cstdio>

using zimo::media::Report;
using zimo::media::Stream;

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 2) {
        std::fprintf(stderr, "usage: media_play FILE [SECONDS] [--silent]\n");
        return 2;
    }
    const double seconds = args.size() > 2 ? args[2].toDouble() : 10.0;
    Stream stream(Stream::Options{nullptr, !args.contains("--silent")});
    std::printf("sound output: %s\n", stream.hasSoundOutput() ? "yes" : "no");
    QElapsedTimer wall;
    wall.start();
    stream.play(args[1]);
    std::uint64_t lastSerial = 0;
    int shown = 0;
    int ticks = 0;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, [&] {
        ++ticks;
        for (const Report& r : stream.pollReports()) {
            if (r.kind == Report::Kind::Status)
                std::printf("%7.3f  %s\n", wall.elapsed() / 1000.0, qPrintable(r.code));
            else
                std::printf("%7.3f  onMetaData (%zu fields)\n", wall.elapsed() / 1000.0,
                            r.metadata.members().size());
        }
        if (stream.frameSerial() != lastSerial) {
            lastSerial = stream.frameSerial();
            ++shown;
        }
        if (ticks % 30 == 0)
            std::printf("%7.3f  time %.3f\n", wall.elapsed() / 1000.0, stream.time());
        if (wall.elapsed() > seconds * 1000) app.quit();
    });
    tick.start(33);
    app.exec();
    std::printf("wall %.3f s, stream time %.3f s, %d pictures shown in %d ticks\n",
                wall.elapsed() / 1000.0, stream.time(), shown, ticks);
    return 0;
}
