#include "media/picture_converter.h"

extern "C" {
#include <libavutil/frame.h>
#include <libavutil/pixdesc.h>
#include <libswscale/swscale.h>
}

namespace zimo::media {

PictureConverter::~PictureConverter() {
    sws_freeContext(sws_);
}

QImage PictureConverter::convert(const AVFrame* frame) {
    if (!frame || frame->width <= 0 || frame->height <= 0) return {};
    const auto src = static_cast<AVPixelFormat>(frame->format);
    const AVPixFmtDescriptor* desc = av_pix_fmt_desc_get(src);
    if (!desc) return {};
    const bool alpha = (desc->flags & AV_PIX_FMT_FLAG_ALPHA) != 0;
    // BGRA in memory is QImage's 0xAARRGGBB on a little-endian machine; sources
    // without alpha come out with it at 255, as Format_RGB32 requires.
    sws_ = sws_getCachedContext(sws_, frame->width, frame->height, src, frame->width, frame->height,
                                AV_PIX_FMT_BGRA, SWS_BICUBIC, nullptr, nullptr, nullptr);
    if (!sws_) return {};
    QImage image(frame->width, frame->height, alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    if (image.isNull()) return {};
    uint8_t* dst[4] = {image.bits(), nullptr, nullptr, nullptr};
    int dstStride[4] = {static_cast<int>(image.bytesPerLine()), 0, 0, 0};
    const int rows =
        sws_scale(sws_, frame->data, frame->linesize, 0, frame->height, dst, dstStride);
    if (rows != frame->height) return {};
    return image;
}

} // namespace zimo::media
