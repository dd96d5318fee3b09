// Turns decoded video frames into 32-bit images.
#pragma once

#include <QImage>

struct AVFrame;
struct SwsContext;

namespace zimo::media {

class PictureConverter {
public:
    PictureConverter() = default;
    ~PictureConverter();
    PictureConverter(const PictureConverter&) = delete;
    PictureConverter& operator=(const PictureConverter&) = delete;

    // Format_ARGB32 when the frame's pixel format carries alpha (VP6A),
    // Format_RGB32 otherwise; a null image when the frame cannot be converted.
    QImage convert(const AVFrame* frame);

private:
    SwsContext* sws_ = nullptr;
};

} // namespace zimo::media
