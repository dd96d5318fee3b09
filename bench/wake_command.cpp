// Counts the wake-ups of the player's threads while the movie runs with no file, while a
// clip plays and while it is paused, in a window hosting the player control as the
// program does. A wake-up is a voluntary context switch (the thread slept and was woken),
// read from /proc/self/task/*/status; switches forced by other work on the machine are
// counted apart.
#include "bench_common.h"

#include "control/player_widget.h"
#include "running/media_objects.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMainWindow>
#include <QTimer>

#include <cstdio>
#include <functional>
#include <map>

namespace zimo::bench {

namespace {

constexpr int kSettleMs = 2000; // before each count
constexpr int kCountMs = 5000;  // each count

struct Switches {
    QString name;
    long long voluntary = 0;
    long long forced = 0;
};
using Snapshot = std::map<QString, Switches>; // by thread id

Snapshot snapshot() {
    Snapshot out;
    const QDir tasks(QStringLiteral("/proc/self/task"));
    for (const QString& tid : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile status(tasks.filePath(tid + QStringLiteral("/status")));
        if (!status.open(QIODevice::ReadOnly)) continue;
        Switches s;
        for (const QByteArray& line : status.readAll().split('\n')) {
            const QList<QByteArray> f = line.simplified().split(' ');
            if (f.size() < 2) continue;
            if (f[0] == "Name:") s.name = QString::fromUtf8(f[1]);
            if (f[0] == "voluntary_ctxt_switches:") s.voluntary = f[1].toLongLong();
            if (f[0] == "nonvoluntary_ctxt_switches:") s.forced = f[1].toLongLong();
        }
        out[tid] = s;
    }
    return out;
}

// Per second over `ms`: the total, the forced ones, and the busiest threads by name.
void printPhase(const char* phase, const Snapshot& before, const Snapshot& after, int ms) {
    long long total = 0, forced = 0;
    std::map<QString, long long> byName;
    for (const auto& [tid, s] : after) {
        const auto it = before.find(tid);
        const long long v = s.voluntary - (it == before.end() ? 0 : it->second.voluntary);
        total += v;
        forced += s.forced - (it == before.end() ? 0 : it->second.forced);
        byName[s.name] += v;
    }
    QStringList threads;
    for (const auto& [name, v] : byName)
        if (v > 0) threads << QStringLiteral("%1:%2").arg(name).arg(v * 1000.0 / ms, 0, 'f', 1);
    std::printf("%s_wakeups=%.1f %s_forced=%.1f %s_threads=%s ", phase, total * 1000.0 / ms, phase,
                forced * 1000.0 / ms, phase, qPrintable(threads.join(',')));
}

} // namespace

int runWake(int argc, char** argv) {
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    const QSize size = args.size() > 2 ? parseSize(args[2]) : QSize();
    if (args.size() < 3 || !size.isValid()) {
        std::fprintf(stderr, "usage: zimo-bench wake CLIP WxH\n");
        return 2;
    }
    QMainWindow window;
    PlayerWidget* control = showPlayer(window, size, false);
    if (!control) return 1;

    // The phases one after the other: settle, count, then the next step.
    int rc = 0;
    Snapshot start;
    std::function<void(const char*, std::function<void()>)> count =
        [&](const char* phase, std::function<void()> next) {
            QTimer::singleShot(kSettleMs, [&, phase, next] {
                start = snapshot();
                QTimer::singleShot(kCountMs, [&, phase, next] {
                    printPhase(phase, start, snapshot(), kCountMs);
                    next();
                });
            });
        };
    auto& movie = control->movie();
    count("idle", [&] {
        control->setVariable(QStringLiteral("Ff"), args[1]);
        count("playing", [&] {
            movie.engine().callMethod(script::Value(movie.root()), "toggleplaypause");
            const bool paused =
                !movie.streams().empty() && movie.streams().front()->stream().isPaused();
            if (!paused) rc = 1;
            count("paused", [&] {
                std::printf("\n");
                app.quit();
            });
        });
    });
    app.exec();
    if (rc) std::fprintf(stderr, "the clip did not pause\n");
    return rc;
}

} // namespace zimo::bench
