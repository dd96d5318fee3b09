// The shown-picture lag of ffplay for a clip carrying the number strip of lag_probe.h.
// ffplay has no position to ask for, but with -stats it prints its clock (the one it
// shows pictures by, the sound's when it plays sound) after each picture it shows, at
// most every 30 ms, to two decimals. A thread reads those lines as they come and notes
// when each came; the clock at the moment of a grab of ffplay's window is the grab's time
// plus the clock's lead on this process's time over the last lines (the clock runs at
// one second a second; averaging evens out the rounding).
#include "bench_common.h"
#include "lag_probe.h"

#include <QGuiApplication>
#include <QProcess>
#include <QScreen>
#include <QThread>

#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <mutex>
#include <optional>
#include <thread>

namespace zimo::bench {

namespace {

constexpr char kTitle[] = "zimo-bench-peer";
// Lines older than this do not count towards the clock's lead.
constexpr double kLeadWindowS = 1.0;

double nowS() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// ffplay's clock against this process's time, from the status lines it prints.
class PeerClock {
public:
    // A status line's first figure is the clock.
    void line(const std::string& text, double at) {
        char* end = nullptr;
        const double clock = std::strtod(text.c_str(), &end);
        // Before its first picture ffplay prints "nan".
        if (end == text.c_str() || !std::isfinite(clock) || clock <= 0) return;
        std::lock_guard lock(mutex_);
        leads_.push_back({at, clock - at});
        while (!leads_.empty() && leads_.front().at < at - kLeadWindowS)
            leads_.pop_front();
    }
    // The clock at `at`, when enough lines came lately.
    std::optional<double> at(double at) const {
        std::lock_guard lock(mutex_);
        if (leads_.size() < 8 || leads_.back().at < at - 0.1) return std::nullopt;
        double sum = 0;
        for (const Lead& l : leads_)
            sum += l.lead;
        return at + sum / double(leads_.size());
    }

private:
    struct Lead {
        double at;
        double lead;
    };
    mutable std::mutex mutex_;
    std::deque<Lead> leads_;
};

// ffplay's window, found by its title once it is up.
std::optional<WId> findWindow() {
    QProcess xdotool;
    xdotool.start(QStringLiteral("xdotool"), {QStringLiteral("search"), QStringLiteral("--name"),
                                              QStringLiteral("^%1$").arg(QLatin1String(kTitle))});
    if (!xdotool.waitForFinished(5000) || xdotool.exitCode() != 0) return std::nullopt;
    bool ok = false;
    const WId id = xdotool.readAllStandardOutput().split('\n').value(0).trimmed().toULongLong(&ok);
    return ok ? std::optional<WId>(id) : std::nullopt;
}

} // namespace

int runPeerLag(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: zimo-bench peer-lag CLIP\n");
        return 2;
    }
    int errPipe[2];
    if (pipe(errPipe) != 0) return 1;
    const pid_t child = fork();
    if (child < 0) return 1;
    if (child == 0) {
        dup2(errPipe[1], STDERR_FILENO);
        close(errPipe[0]);
        close(errPipe[1]);
        execlp("ffplay", "ffplay", "-autoexit", "-stats", "-loglevel", "error", "-window_title",
               kTitle, argv[1], static_cast<char*>(nullptr));
        _exit(127);
    }
    close(errPipe[1]);

    PeerClock clock;
    std::thread reader([&] {
        std::string text;
        char buf[512];
        for (;;) {
            const ssize_t n = read(errPipe[0], buf, sizeof buf);
            if (n <= 0) break;
            const double at = nowS();
            for (ssize_t i = 0; i < n; ++i) {
                if (buf[i] == '\r' || buf[i] == '\n') {
                    clock.line(text, at);
                    text.clear();
                } else {
                    text += buf[i];
                }
            }
        }
        close(errPipe[0]);
    });

    LagProbe lag(kClipRate);
    std::optional<WId> window;
    int status = 0;
    while (waitpid(child, &status, WNOHANG) == 0) {
        QThread::msleep(kLagSampleMs);
        if (!window) {
            window = findWindow();
            continue;
        }
        const QImage grab = QGuiApplication::primaryScreen()
                                ->grabWindow(*window, 0, 0, kStripRect.width(), kStripRect.height())
                                .toImage();
        const double at = nowS();
        if (const auto position = clock.at(at)) lag.sample(grab, *position);
    }
    reader.join();
    std::printf("exit=%d %s\n", WIFEXITED(status) ? WEXITSTATUS(status) : -1,
                lag.figures().constData());
    return 0;
}

} // namespace zimo::bench
