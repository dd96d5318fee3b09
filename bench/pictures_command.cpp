// Draws one picture of a clip both ways, for the eye: converted at its own size and
// stretched by the painter's smooth transform, and converted once straight to its size
// on the screen, each at full screen (the top left corner at 1.5 ×) and in the default
// window (a third of its size), side by side in one PNG.
#include "bench_common.h"

#include "media/media_file.h"
#include "media/picture_converter.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <cstdio>

namespace zimo::bench {

namespace {

// The painter's way: the picture at its own size, stretched into `size`.
QImage stretched(const QImage& own, QSize size) {
    QImage out(size, QImage::Format_RGB32);
    QPainter p(&out);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.drawImage(QRectF(QPointF(0, 0), QSizeF(size)), own);
    return out;
}

} // namespace

int runPictures(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 3) {
        std::fprintf(stderr, "usage: zimo-bench pictures CLIP OUT.png\n");
        return 2;
    }
    auto file = media::MediaFile::open(args[1]);
    if (!file) return 1;
    media::MediaFile::Item item;
    do
        item = file->next();
    while (item.kind != media::MediaFile::Item::Kind::End &&
           (item.kind != media::MediaFile::Item::Kind::Video || item.pts < 1.0));
    if (item.kind != media::MediaFile::Item::Kind::Video) return 1;

    media::PictureConverter converter;
    const QImage own = converter.convert(item.frame.get());
    const QSize full = own.size() * 1.5, window(429, 241);
    const QRect crop(QPoint(0, 0), QSize(480, 270)); // the corner, where the detail is
    const QImage tiles[] = {
        stretched(own, full).copy(crop),
        converter.convert(item.frame.get(), {full}).copy(crop),
        stretched(own, window),
        converter.convert(item.frame.get(), {window}),
    };
    QImage sheet(QSize(480 * 2 + 10, 270 + 10 + 241), QImage::Format_RGB32);
    sheet.fill(Qt::white);
    QPainter p(&sheet);
    p.drawImage(0, 0, tiles[0]);
    p.drawImage(490, 0, tiles[1]);
    p.drawImage((480 - 429) / 2, 280, tiles[2]);
    p.drawImage(490 + (480 - 429) / 2, 280, tiles[3]);
    p.end();
    return sheet.save(args[2]) ? 0 : 1;
}

} // namespace zimo::bench
