// A picture made for its place on the screen and drawn pixel for pixel matches the
// picture converted at its own size and stretched by the painter's smooth transform (as it
// was drawn before), at three scales and in the four quarter turns. The picture's width is
// no multiple of 16, which the converter's vector code must not leave unfinished; one of
// 160 x 90 doubled takes the scaler's vector code for growing pictures.
#include "display/video_surface.h"
#include "media/picture_converter.h"
#include "render/picture_fit.h"
#include "render/renderer.h"
#include "stage/stage.h"
#include "test_movies.h"

extern "C" {
#include <libavutil/frame.h>
}

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>

namespace {

using namespace zimo;
using namespace zimo::test;

struct FrameFree {
    void operator()(AVFrame* f) const { av_frame_free(&f); }
};
using Frame = std::unique_ptr<AVFrame, FrameFree>;

// A 4:2:0 picture with soft waves, hard bars and colour that changes across it.
Frame pattern(int w, int h) {
    Frame f(av_frame_alloc());
    f->format = AV_PIX_FMT_YUV420P;
    f->width = w;
    f->height = h;
    EXPECT_EQ(av_frame_get_buffer(f.get(), 0), 0);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const double wave = 60 * std::sin(x * 0.21) * std::cos(y * 0.17);
            const double bar = (x / 20 + y / 30) % 2 ? 40 : -40;
            f->data[0][y * f->linesize[0] + x] =
                static_cast<std::uint8_t>(std::clamp(128 + wave + bar, 16.0, 235.0));
        }
    for (int y = 0; y < (h + 1) / 2; ++y)
        for (int x = 0; x < (w + 1) / 2; ++x) {
            f->data[1][y * f->linesize[1] + x] = static_cast<std::uint8_t>(64 + x * 128 / w);
            f->data[2][y * f->linesize[2] + x] = static_cast<std::uint8_t>(192 - y * 128 / h);
        }
    return f;
}

std::unique_ptr<stage::Stage> videoStage(QSize picture, const QTransform& place, QSize view) {
    MovieMaker m(view.width(), view.height());
    m.add(videoTag(1, picture.width(), picture.height()));
    m.add(
         placeTag(1, 1,
                  Place{place.m11(), place.m12(), place.m21(), place.m22(), place.dx(), place.dy()},
                  {}, "player"))
        .showFrame();
    auto p = std::make_unique<stage::Stage>();
    EXPECT_TRUE(p->load(m.file())) << p->error();
    p->setViewSize(view);
    return p;
}

TEST(PictureOnTheScreen, MatchesTheSmoothlyStretchedPictureAtEveryScaleAndTurn) {
    // Both filters are bilinear; they part most where colour changes sharply, since the
    // painter scales the picture's colours and the conversion its planes. The fast filter
    // of growing pictures places its taps a fraction of a pixel off, so bars part more.
    const struct {
        QSize picture;
        double scale;
        int worst;
        double mean;
    } cases[] = {{{166, 94}, 1.0, 32, 2.5},
                 {{166, 94}, 1.5, 32, 2.5},
                 {{166, 94}, 3.0, 32, 2.5},
                 {{160, 90}, 2.0, 48, 3.0}};
    media::PictureConverter converter;
    for (const auto& c : cases) {
        const Frame frame = pattern(c.picture.width(), c.picture.height());
        const QImage own = converter.convert(frame.get());
        ASSERT_EQ(own.size(), c.picture);
        const double scale = c.scale;
        for (const int turns : {0, 1, 2, 3}) {
            SCOPED_TRACE(testing::Message()
                         << c.picture.width() << " wide, scale " << scale << ", turns " << turns);
            // Turned and scaled, its box moved to (5, 7).
            QTransform place = QTransform().rotate(90.0 * turns).scale(scale, scale);
            const QRectF box = place.mapRect(QRectF(QPointF(0, 0), QSizeF(c.picture)));
            place *= QTransform::fromTranslate(5 - box.left(), 7 - box.top());
            const QSize view = box.size().toSize() + QSize(12, 14);

            auto before = videoStage(c.picture, place, view);
            auto* surface = dynamic_cast<display::VideoSurface*>(before->find(u"player"));
            ASSERT_TRUE(surface);
            surface->setSmoothing(true); // as the player movie sets it
            surface->setPicture(own);
            const QImage stretched = before->renderImage(view);

            auto after = videoStage(c.picture, place, view);
            surface = dynamic_cast<display::VideoSurface*>(after->find(u"player"));
            surface->setSmoothing(true);
            const auto fit =
                render::fitPicture(surface->contentBounds(),
                                   render::stageTransform(*surface) * after->stageToView(), true);
            ASSERT_TRUE(fit);
            EXPECT_EQ(fit->rect, QRect(QPoint(5, 7), box.size().toSize()));
            EXPECT_EQ(fit->target.quarterTurns, turns);
            const QImage made = converter.convert(frame.get(), fit->target);
            ASSERT_EQ(made.size(), fit->rect.size());
            surface->setPicture(made, fit->target);
            const QImage drawn = after->renderImage(view);

            // Drawn as made, without a second scaling; and close to the stretched one
            // everywhere but on the picture's outermost pixels, which the painter blends
            // with the background.
            int worst = 0;
            double sum = 0;
            int n = 0;
            for (int y = 0; y < made.height(); ++y) {
                for (int x = 0; x < made.width(); ++x) {
                    const QRgb p = drawn.pixel(fit->rect.x() + x, fit->rect.y() + y);
                    ASSERT_EQ(p, made.pixel(x, y)) << x << "," << y;
                    if (x == 0 || y == 0 || x == made.width() - 1 || y == made.height() - 1)
                        continue;
                    const QRgb q = stretched.pixel(fit->rect.x() + x, fit->rect.y() + y);
                    for (const int d :
                         {qRed(p) - qRed(q), qGreen(p) - qGreen(q), qBlue(p) - qBlue(q)}) {
                        worst = std::max(worst, std::abs(d));
                        sum += std::abs(d);
                        ++n;
                    }
                }
            }
            EXPECT_LE(worst, c.worst);
            EXPECT_LE(sum / n, c.mean);
        }
    }
}

// A picture shrunk to its place takes in every pixel of the picture: it stays close to
// the area-averaged picture at steps under two, at two and past it, where planes that
// halve exactly are halved first, once or twice, and where they do not; and grey stripes
// a pixel wide, halved, come out as an even grey rather than as coarse bars.
TEST(PictureOnTheScreen, ShrunkPicturesAverageEveryPixel) {
    const struct {
        QSize picture, target;
        bool stripes;
    } cases[] = {{{166, 94}, {111, 63}, false}, {{168, 96}, {84, 48}, false},
                 {{166, 94}, {55, 31}, false},  {{336, 192}, {74, 42}, false},
                 {{333, 187}, {74, 41}, false}, {{168, 96}, {84, 48}, true},
                 {{336, 192}, {74, 42}, true}};
    media::PictureConverter converter;
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << c.picture.width() << "x" << c.picture.height() << " to " << c.target.width()
                     << "x" << c.target.height() << (c.stripes ? ", stripes" : ""));
        const Frame frame = pattern(c.picture.width(), c.picture.height());
        if (c.stripes) {
            for (int y = 0; y < c.picture.height(); ++y)
                for (int x = 0; x < c.picture.width(); ++x)
                    frame->data[0][y * frame->linesize[0] + x] = x % 2 ? 235 : 16;
            for (const int plane : {1, 2})
                for (int y = 0; y < (c.picture.height() + 1) / 2; ++y)
                    std::fill_n(frame->data[plane] + y * frame->linesize[plane],
                                (c.picture.width() + 1) / 2, 128);
        }
        const QImage made = converter.convert(frame.get(), media::PictureTarget{c.target});
        ASSERT_EQ(made.size(), c.target);
        const QImage reference =
            c.stripes ? QImage()
                      : converter.convert(frame.get())
                            .scaled(c.target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        int worst = 0;
        double sum = 0;
        int n = 0;
        // The outermost pixels are left out: there the two part on what lies past the edge.
        for (int y = 1; y + 1 < made.height(); ++y)
            for (int x = 1; x + 1 < made.width(); ++x) {
                const QRgb p = made.pixel(x, y),
                           q = c.stripes ? qRgb(128, 128, 128) : reference.pixel(x, y);
                for (const int d :
                     {qRed(p) - qRed(q), qGreen(p) - qGreen(q), qBlue(p) - qBlue(q)}) {
                    worst = std::max(worst, std::abs(d));
                    sum += std::abs(d);
                    ++n;
                }
            }
        EXPECT_LE(worst, c.stripes ? 2 : 32);
        EXPECT_LE(sum / n, c.stripes ? 1.0 : 4.5);
    }
}

// Pictures are made in buffers kept for the next ones, but never in one that a picture
// still held anywhere is using.
TEST(PictureOnTheScreen, HeldPicturesStayAsMade) {
    media::PictureConverter converter;
    const Frame first = pattern(166, 94), other = pattern(94, 166);
    const media::PictureTarget target{QSize(249, 141)}; // an odd number of rows
    const QImage held = converter.convert(first.get(), target);
    const QImage copy = held.copy();
    std::uint64_t lastKey = held.cacheKey();
    for (int i = 0; i < 12; ++i) {
        // Made and let go: the same buffer again, with a new key, so it shows as new.
        const QImage made = converter.convert(other.get(), target);
        ASSERT_EQ(made.size(), target.size);
        EXPECT_NE(made.cacheKey(), lastKey);
        lastKey = made.cacheKey();
    }
    EXPECT_EQ(held, copy);
}

} // namespace
