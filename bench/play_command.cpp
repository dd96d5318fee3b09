// Plays a clip through the player control in a window of its own, as the program does:
// the control is the window's central widget, the movie comes in through putMovie and the
// clip through "Ff". When the stream reports its end, prints the media engine's figures.
// The size "full" shows the window full screen. With --lag (clips carrying the number
// strip of lag_probe.h), also how far the picture on the screen trails the position.
#include "bench_common.h"
#include "lag_probe.h"

#include "control/player_widget.h"
#include "display/video_surface.h"
#include "render/renderer.h"
#include "running/media_objects.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMainWindow>
#include <QScreen>
#include <QTimer>

#include <cstdio>

namespace zimo::bench {

namespace {

// A clip that has not ended by then has stalled.
constexpr qint64 kGiveUpMs = 300'000;

// The movie's video surface, where the clip's pictures go.
const display::VideoSurface* videoSurface(PlayerWidget& control) {
    return dynamic_cast<display::VideoSurface*>(control.movie().stage().find(u"vidplayer.player"));
}

// The picture's place in the control, in pixels: where the strip is read.
QRectF pictureRect(PlayerWidget& control) {
    const auto* surface = videoSurface(control);
    if (!surface) return {};
    return (render::stageTransform(*surface) * control.movie().stage().stageToView())
        .mapRect(surface->contentBounds());
}

// The size in device pixels the stage's picture was converted to.
QSize pictureMadeFor(PlayerWidget& control) {
    const auto* surface = videoSurface(control);
    return surface ? surface->pictureTarget().size : QSize();
}

// A grab of the strip at the top left of the picture on the screen, with the position at
// that moment.
void sampleLag(PlayerWidget& control, media::Stream& stream, LagProbe& lag) {
    if (!stream.isPlaying()) return;
    // The last picture stays up while the sound plays out: past its own interval it is
    // the end of the file on the screen, not a picture trailing.
    const double total = control.getVariable(QStringLiteral("totaltime")).toDouble();
    if (total > 0 && stream.time() > total - 1 / kClipRate) return;
    const QRectF picture = pictureRect(control);
    const int clipWidth = stream.currentFrameSize().width();
    if (picture.isEmpty() || clipWidth <= 0) return;
    const double scale = picture.width() / clipWidth;
    const QRect strip = QRectF(picture.topLeft(), QSizeF(kStripRect.size()) * scale).toRect();
    const QImage grab =
        control.screen()
            ->grabWindow(control.winId(), strip.x(), strip.y(), strip.width(), strip.height())
            .toImage();
    lag.sample(grab, stream.time(), scale);
}

void printFigures(const media::Stream& stream, double wallS) {
    const media::Stream::Stats s = stream.stats();
    const double n = s.offsetSamples ? double(s.offsetSamples) : 1.0;
    std::printf("content_s=%.3f wall_s=%.3f decoded=%llu shown=%llu dropped=%llu "
                "offset_mean_ms=%.1f offset_maxabs_ms=%.1f samples=%llu sound_samples=%llu "
                "sound=%s",
                s.position, wallS, static_cast<unsigned long long>(s.decoded),
                static_cast<unsigned long long>(s.shown),
                static_cast<unsigned long long>(s.dropped), 1000 * s.offsetSum / n,
                1000 * s.offsetMaxAbs, static_cast<unsigned long long>(s.offsetSamples),
                static_cast<unsigned long long>(s.soundSamples),
                stream.hasSoundOutput() ? "yes" : "no");
}

} // namespace

int runPlay(int argc, char** argv) {
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 2) {
        std::fprintf(stderr, "usage: zimo-bench play CLIP [WxH|full] [--trace] [--lag]\n");
        return 2;
    }
    const QString clip = args[1];
    const bool trace = args.contains(QStringLiteral("--trace"));
    const bool measureLag = args.contains(QStringLiteral("--lag"));
    const bool full = args.size() > 2 && args[2] == QLatin1String("full");
    const QSize size = full              ? QSize(640, 360)
                       : args.size() > 2 ? parseSize(args[2])
                                         : QSize(640, 360);
    if (!size.isValid()) return 2;

    QMainWindow window;
    PlayerWidget* control = showPlayer(window, size, full);
    if (!control) {
        std::fprintf(stderr, "the player movie did not load\n");
        return 1;
    }

    QElapsedTimer wall;
    int rc = 0;
    LagProbe lag(kClipRate);
    QTimer lagTimer;
    QObject::connect(&lagTimer, &QTimer::timeout, [&] {
        const auto& streams = control->movie().streams();
        if (!streams.empty()) sampleLag(*control, streams.front()->stream(), lag);
    });
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        const auto& streams = control->movie().streams();
        if (wall.elapsed() > kGiveUpMs) {
            std::fprintf(stderr, "playback did not end\n");
            rc = 1;
            app.quit();
        }
        if (streams.empty()) return;
        if (trace) {
            const auto t = streams.front()->stream().stats();
            std::printf("%8.3f pos %7.3f last %6.1f ms dropped %llu heard %llu/%llu\n",
                        wall.elapsed() / 1000.0, t.position, 1000 * t.lastOffset,
                        static_cast<unsigned long long>(t.dropped),
                        static_cast<unsigned long long>(t.soundSamples),
                        static_cast<unsigned long long>(t.offsetSamples));
        }
        if (!streams.front()->stream().stats().ended) return;
        printFigures(streams.front()->stream(), wall.elapsed() / 1000.0);
        if (measureLag) std::printf(" %s", lag.figures().constData());
        const QSize picture = pictureMadeFor(*control);
        std::printf(" view=%dx%d picture=%dx%d\n", control->width(), control->height(),
                    picture.width(), picture.height());
        app.quit();
    });
    // The window is up and the movie settled before the clip goes in.
    QTimer::singleShot(500, [&] {
        wall.start();
        control->setVariable(QStringLiteral("Ff"), clip);
        poll.start(50);
        if (measureLag) lagTimer.start(kLagSampleMs);
    });
    app.exec();
    return rc;
}

} // namespace zimo::bench
