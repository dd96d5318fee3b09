// What any software path must spend on a view, measured in two parts: decoding the clip
// and converting each picture to the size it takes on the screen (the engine's decoder
// and converter, nothing else), and presenting a window's picture rectangle 30 times a
// second with nothing drawn into it (the toolkit's flush and the X server's copy). A
// player can only add to their sum: the drawing, the movie's ticks, the wake-ups.
#include "bench_common.h"

#include "media/media_file.h"
#include "media/picture_converter.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPainter>
#include <QTimer>
#include <QWidget>

#include <cstdio>

namespace zimo::bench {

namespace {

// A window whose picture rectangle is presented again and again: painted black once,
// then flushed as it stands.
class PresentOnly final : public QWidget {
public:
    explicit PresentOnly(QSize picture) : picture_(picture) {
        setAttribute(Qt::WA_OpaquePaintEvent);
    }
    QRect pictureRect() const {
        return QRect(QPoint((width() - picture_.width()) / 2, (height() - picture_.height()) / 2),
                     picture_);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        if (painted_) return;
        QPainter(this).fillRect(rect(), Qt::black);
        painted_ = true;
    }

private:
    QSize picture_;
    bool painted_ = false;
};

} // namespace

int runBound(int argc, char** argv) {
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    const QSize picture = args.size() > 3 ? parseSize(args[2]) : QSize();
    const bool full = args.size() > 3 && args[3] == QLatin1String("full");
    const QSize view = full ? QSize(640, 360) : args.size() > 3 ? parseSize(args[3]) : QSize();
    if (!picture.isValid() || !view.isValid()) {
        std::fprintf(stderr, "usage: zimo-bench bound CLIP PICTURE-WxH WxH|full\n");
        return 2;
    }

    // Decoding and converting, as fast as they go.
    auto file = media::MediaFile::open(args[1]);
    if (!file) return 1;
    media::PictureConverter converter;
    const double cpu0 = processCpuSeconds();
    double content = 0;
    unsigned long long pictures = 0;
    for (auto item = file->next(); item.kind != media::MediaFile::Item::Kind::End;
         item = file->next()) {
        content = std::max(content, item.pts + item.duration);
        if (item.kind != media::MediaFile::Item::Kind::Video) continue;
        if (converter.convert(item.frame.get(), {picture}).isNull()) return 1;
        ++pictures;
    }
    const double convertCpu = processCpuSeconds() - cpu0;
    if (content <= 0 || pictures == 0) return 1;

    // Presenting the picture's rectangle for as long as the clip lasts.
    PresentOnly window(picture);
    showWindow(window, view, full);
    QElapsedTimer wall;
    double presentCpu0 = 0;
    QTimer flush;
    flush.setTimerType(Qt::PreciseTimer);
    QObject::connect(&flush, &QTimer::timeout, [&] {
        if (wall.elapsed() >= content * 1000) {
            app.quit();
            return;
        }
        window.update(window.pictureRect());
    });
    // The window is up and has had its first paint before the count starts.
    QTimer::singleShot(500, [&] {
        presentCpu0 = processCpuSeconds();
        wall.start();
        flush.start(static_cast<int>(1000 * content / double(pictures)));
    });
    app.exec();
    const double presentCpu = processCpuSeconds() - presentCpu0;
    std::printf("content_s=%.3f pictures=%llu convert_s=%.3f present_s=%.3f view=%dx%d\n", content,
                pictures, convertCpu, presentCpu, window.width(), window.height());
    return 0;
}

} // namespace zimo::bench
