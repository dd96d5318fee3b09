// Plays a file in real time on the system clock, polling the stream 30 times
// a second as the player does, and prints what it reports and how many
// pictures it showed and how far the sound went. Usage: media_play FILE [SECONDS] [--silent]
// [--seek=T@W]
// [--pause=W1,W2]: seek to T seconds at W seconds of wall time; pause from W1 to W2.
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
    double seekTo = -1, seekAt = -1, pauseFrom = -1, pauseTo = -1;
    for (const QString& a : args) {
        if (a.startsWith("--seek=")) {
            const QStringList p = a.mid(7).split('@');
            seekTo = p.value(0).toDouble();
            seekAt = p.value(1).toDouble();
        } else if (a.startsWith("--pause=")) {
            const QStringList p = a.mid(8).split(',');
            pauseFrom = p.value(0).toDouble();
            pauseTo = p.value(1).toDouble();
        }
    }
    std::uint64_t lastSerial = 0;
    int shown = 0;
    int ticks = 0;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, [&] {
        ++ticks;
        const double w = wall.elapsed() / 1000.0;
        if (seekAt >= 0 && w >= seekAt) {
            std::printf("%7.3f  seek(%.3f) from %.3f\n", w, seekTo, stream.time());
            stream.seek(seekTo);
            seekAt = -1;
        }
        if (pauseFrom >= 0 && w >= pauseFrom) {
            std::printf("%7.3f  pause at %.3f\n", w, stream.time());
            stream.pause(true);
            pauseFrom = -1;
        }
        if (pauseTo >= 0 && pauseFrom < 0 && w >= pauseTo) {
            std::printf("%7.3f  resume at %.3f\n", w, stream.time());
            stream.pause(false);
            pauseTo = -1;
        }
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
        if (ticks % 15 == 0)
            std::printf("%7.3f  time %.3f\n", wall.elapsed() / 1000.0, stream.time());
        if (wall.elapsed() > seconds * 1000) app.quit();
    });
    tick.start(33);
    app.exec();
    std::printf("wall %.3f s, stream time %.3f s, %d pictures shown in %d ticks\n",
                wall.elapsed() / 1000.0, stream.time(), shown, ticks);
    const Stream::Stats stats = stream.stats();
    std::printf("sound for the device decoded from %.3f s to %.3f s\n", stats.soundFrom,
                stats.soundTo);
    std::printf("at most %zu pictures waiting to show at once\n", stats.mostQueued);
    return 0;
}
