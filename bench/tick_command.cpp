// Times the movie's frame tick (timers, stream reports and pictures, timelines and
// handlers) and a render of its stage into an image of the view's size, at the movie's
// frame rate on the system clock, while a clip plays and the pointer keeps the control
// panel awake over the picture.
#include "bench_common.h"

#include "running/media_objects.h"
#include "running/running_movie.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <numeric>
#include <thread>
#include <vector>

namespace zimo::bench {

namespace {

using Clock = std::chrono::steady_clock;

// Ticks left out at the start, while the clip opens and the panel wakes.
constexpr int kWarmUpTicks = 30;

double ms(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

double mean(const std::vector<double>& v) {
    return v.empty() ? 0 : std::accumulate(v.begin(), v.end(), 0.0) / double(v.size());
}

double percentile(std::vector<double> v, double p) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, static_cast<std::size_t>(p * double(v.size())))];
}

} // namespace

int runTick(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    const QSize size = args.size() > 2 ? parseSize(args[2]) : QSize();
    if (!size.isValid()) {
        std::fprintf(stderr, "usage: zimo-bench tick CLIP WxH [TICKS]\n");
        return 2;
    }
    const int ticks = args.size() > 3 ? std::max(1, args[3].toInt()) : 300;

    running::RunningMovie movie(running::RunningMovie::Options{nullptr, false});
    if (!movie.load(embeddedMovie())) return 1;
    movie.stage().setViewSize(size);
    movie.settle();
    movie.setVariable(QStringLiteral("Ff"), args[1]);

    QImage image(size, QImage::Format_RGB32);
    std::vector<double> script, render, total;
    const auto interval = std::chrono::duration_cast<Clock::duration>(
        std::chrono::duration<double, std::milli>(movie.frameIntervalMs()));
    auto due = Clock::now();
    auto last = due;
    for (int i = 0; i < kWarmUpTicks + ticks; ++i) {
        due += interval;
        std::this_thread::sleep_until(due);
        // A pointer moving over the panel's band keeps the panel awake.
        const QPointF pointer(size.width() / 2 + i % 2, size.height() - 12 + i % 2);
        movie.pointerMove(movie.stage().viewToStage(pointer));

        const auto t0 = Clock::now();
        movie.tick(ms(t0 - last));
        last = t0;
        const auto t1 = Clock::now();
        QPainter painter(&image);
        painter.fillRect(image.rect(), Qt::black);
        movie.stage().render(painter, size);
        painter.end();
        const auto t2 = Clock::now();
        if (i < kWarmUpTicks) continue;
        script.push_back(ms(t1 - t0));
        render.push_back(ms(t2 - t1));
        total.push_back(ms(t2 - t0));
    }

    const auto& streams = movie.streams();
    const unsigned long long shown = streams.empty() ? 0 : streams.front()->stream().stats().shown;
    std::printf("ticks=%d script_mean_ms=%.2f render_mean_ms=%.2f mean_ms=%.2f p95_ms=%.2f "
                "max_ms=%.2f panel_alpha=%s pictures=%llu\n",
                ticks, mean(script), mean(render), mean(total), percentile(total, 0.95),
                *std::max_element(total.begin(), total.end()),
                qPrintable(movie.getVariable(QStringLiteral("controlpanel._alpha"))), shown);
    return 0;
}

} // namespace zimo::bench
