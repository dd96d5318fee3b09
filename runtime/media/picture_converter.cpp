#include "media/picture_converter.h"

#include "media/picture_turn.h"

#include "media/plane_halving.h"

extern "C" {
#include <libavutil/frame.h>
#include <libavutil/imgutils.h>
#include <libavutil/mem.h>
#include <libavutil/pixdesc.h>
#include <libswscale/swscale.h>
}

#include <QTransform>

#include <cstring>
#include <vector>

namespace zimo::media {

namespace {

// Bilinear, as the painter's smooth transform. A picture that grows to a width the
// scaler's fast bilinear vector code takes (a multiple of 32, from one of 16: full screen
// on the common screens) takes that filter: the same two taps each way at lower precision,
// placed a fraction of a pixel further left, in about 60 % of the time of the full one,
// which gathers four taps per pixel. Elsewhere the fast filter is plain C and no faster,
// and a picture that shrinks needs the full one, as wide as the step, so small windows do
// not alias.
int scaleFilter(QSize from, QSize to, bool smooth) {
    if (!smooth) return SWS_POINT;
    if (to.width() >= from.width() && to.height() >= from.height() && to.width() % 32 == 0 &&
        from.width() % 16 == 0)
        return SWS_FAST_BILINEAR;
    return SWS_BILINEAR;
}

// Formats whose planes scale faster on their own than in one pass to BGRA: the scaler's
// vector code covers planar output, while its scaled packed-RGB output is plain C.
bool scalesOnItsPlanes(AVPixelFormat format) {
    switch (format) {
    case AV_PIX_FMT_YUV420P:
    case AV_PIX_FMT_YUVJ420P:
    case AV_PIX_FMT_YUVA420P:
        return true;
    default:
        return false;
    }
}

// Whether every plane of a picture of this size has an even number of columns and rows.
bool halvesExactly(const AVPixFmtDescriptor& desc, QSize size) {
    return size.width() % (2 << desc.log2_chroma_w) == 0 &&
           size.height() % (2 << desc.log2_chroma_h) == 0;
}

// The scaler converts 4:2:0 planes to RGB with its vector code only when the picture has
// an even number of rows; an odd picture is converted one row taller, into room kept for
// it, and the extra row is left out of the image.
int evenHeight(int height) {
    return height + (height & 1);
}

// The colour matrix and range a picture's YUV was coded with, as its stream says; the
// default is what the scaler assumes of a stream that says nothing.
struct Colours {
    int matrix = SWS_CS_DEFAULT;
    bool fullRange = false;
    friend bool operator==(const Colours&, const Colours&) = default;
};

Colours coloursOf(const AVFrame& frame) {
    Colours c;
    switch (frame.colorspace) {
    case AVCOL_SPC_BT709:
        c.matrix = SWS_CS_ITU709;
        break;
    case AVCOL_SPC_FCC:
        c.matrix = SWS_CS_FCC;
        break;
    case AVCOL_SPC_SMPTE240M:
        c.matrix = SWS_CS_SMPTE240M;
        break;
    case AVCOL_SPC_BT2020_NCL:
    case AVCOL_SPC_BT2020_CL:
        c.matrix = SWS_CS_BT2020;
        break;
    default: // unspecified, BT.601, and what the scaler has no table for
        break;
    }
    c.fullRange = frame.color_range == AVCOL_RANGE_JPEG;
    return c;
}

} // namespace

// A scaler context kept for as long as the same conversion is asked for. The scaler's own
// cache compares what is asked with the settings a context ended up with, which differ
// for some: a picture of odd width converted to RGB gets full chroma interpolation added
// to its flags, and a full-range format is kept as its plain twin with the range noted.
// Those would get a new context, tables and all, for every picture.
class PictureConverter::Scaler {
public:
    Scaler() = default;
    Scaler(const Scaler&) = delete;
    Scaler& operator=(const Scaler&) = delete;
    ~Scaler() { sws_freeContext(context_); }

    // `colours` matters where the conversion goes from YUV to RGB.
    SwsContext* get(QSize from, AVPixelFormat src, QSize to, AVPixelFormat dst, int flags,
                    Colours colours = {}) {
        const Asked asked{from, to, src, dst, flags, colours};
        if (context_ && asked == asked_) return context_;
        sws_freeContext(context_);
        context_ = sws_getContext(from.width(), from.height(), src, to.width(), to.height(), dst,
                                  flags, nullptr, nullptr, nullptr);
        if (context_ && colours != Colours{}) useColours(colours);
        asked_ = asked;
        return context_;
    }

private:
    struct Asked {
        QSize from, to;
        AVPixelFormat src = AV_PIX_FMT_NONE, dst = AV_PIX_FMT_NONE;
        int flags = 0;
        Colours colours;
        friend bool operator==(const Asked&, const Asked&) = default;
    };

    // The scaler takes YUV as BT.601 unless told otherwise, and its range from the format
    // alone (full for the "J" formats).
    void useColours(Colours colours) {
        int *inverse = nullptr, *table = nullptr;
        int srcRange = 0, dstRange = 0, brightness = 0, contrast = 0, saturation = 0;
        if (sws_getColorspaceDetails(context_, &inverse, &srcRange, &table, &dstRange, &brightness,
                                     &contrast, &saturation) < 0)
            return; // not a conversion between YUV and RGB
        sws_setColorspaceDetails(context_, sws_getCoefficients(colours.matrix),
                                 srcRange || colours.fullRange, table, dstRange, brightness,
                                 contrast, saturation);
    }

    SwsContext* context_ = nullptr;
    Asked asked_;
};

// Buffers for pictures, kept for the next pictures once the images made in them are gone:
// a fresh buffer of a full-screen picture costs two thousand page faults on first touch.
// Each row has room to spare: the scaler's vector code converts whole runs of 16 pixels,
// and leaves the pixels past the last full run unconverted when a row cannot take them.
class PictureConverter::Buffers {
public:
    // An image to make a picture in: the caller writes through constBits(), since the
    // list keeps a copy of it.
    QImage take(QSize size, QImage::Format format) {
        for (QImage& kept : kept_) {
            // Only the list holds it: no picture made in it is still in use anywhere.
            if (kept.size() == size && kept.format() == format && kept.isDetached()) {
                kept.bits(); // a new cache key, so the picture shows as new
                return kept;
            }
        }
        QImage image = allocate(size, format);
        if (image.isNull()) return image;
        // Buffers of another size or format are let go once they are free.
        std::erase_if(kept_, [&](const QImage& k) {
            return k.isDetached() && (k.size() != size || k.format() != format);
        });
        if (kept_.size() < kMaxKept) kept_.push_back(image);
        return image;
    }

private:
    // The pictures a stream queues (four), the one showing, the one on the stage and the
    // one being made, with one to spare; more are not kept.
    static constexpr std::size_t kMaxKept = 8;

    static QImage allocate(QSize size, QImage::Format format) {
        const qsizetype stride = (static_cast<qsizetype>(size.width()) * 4 + 63) / 64 * 64;
        void* data = av_malloc(static_cast<size_t>(stride * evenHeight(size.height()) + 64));
        if (!data) return {};
        return QImage(
            static_cast<uchar*>(data), size.width(), size.height(), stride, format,
            [](void* p) { av_free(p); }, data);
    }

    std::vector<QImage> kept_;
};

// The scaled planes between the two steps, kept from picture to picture, with room for
// an even number of rows.
struct PictureConverter::Planes {
    AVPixelFormat format = AV_PIX_FMT_NONE;
    QSize size;
    std::uint8_t* data[4] = {};
    int linesize[4] = {};

    ~Planes() { av_freep(&data[0]); }
    bool reserve(AVPixelFormat f, QSize s) {
        if (f == format && s == size) return true;
        av_freep(&data[0]);
        format = AV_PIX_FMT_NONE;
        if (av_image_alloc(data, linesize, s.width(), evenHeight(s.height()), f, 64) < 0)
            return false;
        format = f;
        size = s;
        return true;
    }
    // Fills these planes with the halves of the planes of a picture twice their size, of
    // the same format.
    void halve(const AVPixFmtDescriptor& desc, const std::uint8_t* const* src,
               const int* srcLinesize, QSize srcSize) {
        for (int plane = 0; plane < 4 && src[plane] && data[plane]; ++plane) {
            const bool chroma = plane == 1 || plane == 2;
            const int w = srcSize.width() >> (chroma ? desc.log2_chroma_w : 0);
            const int h = srcSize.height() >> (chroma ? desc.log2_chroma_h : 0);
            halvePlane(src[plane], srcLinesize[plane], w, h, data[plane], linesize[plane]);
        }
    }
    // Fills the spare row of an odd picture's full-size planes (luma, alpha) with its
    // last row; the chroma planes of 4:2:0 have as many rows either way.
    void fillSpareRow() {
        if (size.height() % 2 == 0) return;
        for (const int plane : {0, 3})
            if (data[plane])
                std::memcpy(data[plane] + std::ptrdiff_t(linesize[plane]) * size.height(),
                            data[plane] + std::ptrdiff_t(linesize[plane]) * (size.height() - 1),
                            static_cast<size_t>(size.width()));
    }
};

PictureConverter::PictureConverter()
    : scale_(std::make_unique<Scaler>()), convert_(std::make_unique<Scaler>()),
      planes_(std::make_unique<Planes>()), halves_{std::make_unique<Planes>(),
                                                   std::make_unique<Planes>()},
      buffers_(std::make_unique<Buffers>()) {}

PictureConverter::~PictureConverter() = default;

QImage PictureConverter::convert(const AVFrame* frame, const PictureTarget& wanted) {
    if (!frame || frame->width <= 0 || frame->height <= 0) return {};
    const auto src = static_cast<AVPixelFormat>(frame->format);
    const AVPixFmtDescriptor* desc = av_pix_fmt_desc_get(src);
    if (!desc) return {};
    const bool alpha = (desc->flags & AV_PIX_FMT_FLAG_ALPHA) != 0;
    const QSize own(frame->width, frame->height);
    PictureTarget target = wanted;
    if (static_cast<long>(target.size.width()) * target.size.height() > kMaxTargetPixels)
        target = {};
    target = withFrameTurn(target, frameQuarterTurns(*frame), own);
    const QSize out = target.natural() ? own : target.unturnedSize();

    // The planes the colour conversion reads: the frame's, or scaled copies of them.
    const std::uint8_t* const* data = frame->data;
    const int* linesize = frame->linesize;
    QSize from = own;
    const int filter = scaleFilter(own, out, target.smooth);
    if (out != own && scalesOnItsPlanes(src)) {
        Planes* last = nullptr; // the planes the scaled picture ends up in
        // A picture shrinking to half its size or less is halved first, as often as it
        // takes and its planes halve exactly; the scaler goes the rest of the way.
        for (int i = 0; target.smooth && out.width() * 2 <= from.width() &&
                        out.height() * 2 <= from.height() && halvesExactly(*desc, from);
             ++i) {
            Planes& half = *halves_[i % 2];
            const QSize halved = from / 2;
            if (!half.reserve(src, halved)) return {};
            half.halve(*desc, data, linesize, from);
            data = half.data;
            linesize = half.linesize;
            from = halved;
            last = &half;
        }
        if (from != out) {
            SwsContext* scale =
                scale_->get(from, src, out, src, scaleFilter(from, out, target.smooth));
            if (!scale || !planes_->reserve(src, out)) return {};
            if (sws_scale(scale, data, linesize, 0, from.height(), planes_->data,
                          planes_->linesize) != out.height())
                return {};
            last = planes_.get();
        }
        last->fillSpareRow();
        data = last->data;
        linesize = last->linesize;
        from = QSize(out.width(), evenHeight(out.height()));
    }
    const QSize converted = from == own ? out : from; // rows the conversion writes
    // BGRA in memory is QImage's 0xAARRGGBB on a little-endian machine; sources
    // without alpha come out with it at 255, as Format_RGB32 requires.
    SwsContext* convert =
        convert_->get(from, src, converted, AV_PIX_FMT_BGRA, filter, coloursOf(*frame));
    if (!convert) return {};
    QImage image = buffers_->take(out, alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    if (image.isNull()) return {};
    // The buffer is shared with the list of kept buffers, and with nothing else: it is
    // written in place, not detached into a copy.
    std::uint8_t* dst[4] = {const_cast<std::uint8_t*>(image.constBits()), nullptr, nullptr,
                            nullptr};
    int dstStride[4] = {static_cast<int>(image.bytesPerLine()), 0, 0, 0};
    if (sws_scale(convert, data, linesize, 0, from.height(), dst, dstStride) != converted.height())
        return {};
    if (target.mirrored) image = std::move(image).mirrored(true, false);
    if (target.quarterTurns % 4)
        image = image.transformed(QTransform().rotate(90.0 * (target.quarterTurns % 4)));
    return image;
}

} // namespace zimo::media
