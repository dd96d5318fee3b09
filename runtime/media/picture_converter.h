// Turns decoded video frames into 32-bit images of the size and orientation they take on
// the screen, in one conversion per picture: the scaling happens on the frame's own
// planes, before the colour conversion (halving them first when the picture shrinks to
// half or less), and a quarter turn or a mirroring, which no scaler does, is an exact
// move of whole pixels afterwards.
#pragma once

#include "media/picture_target.h"

#include <QImage>

#include <cstdint>
#include <memory>

struct AVFrame;

namespace zimo::media {

class PictureConverter {
public:
    PictureConverter();
    ~PictureConverter();
    PictureConverter(const PictureConverter&) = delete;
    PictureConverter& operator=(const PictureConverter&) = delete;

    // Format_ARGB32 when the frame's pixel format carries alpha (VP6A),
    // Format_RGB32 otherwise; a null image when the frame cannot be converted. A target
    // beyond kMaxTargetPixels is taken as the picture's own size. A frame to be shown
    // turned (see picture_turn.h) comes out turned: the target is where it is shown.
    QImage convert(const AVFrame* frame, const PictureTarget& target = {});

    // The largest picture a target may ask for: a 4K screen twice over.
    static constexpr long kMaxTargetPixels = 7680L * 4320L;

private:
    struct Planes;
    class Buffers;
    class Scaler;
    std::unique_ptr<Scaler> scale_;   // source planes to scaled planes of the same format
    std::unique_ptr<Scaler> convert_; // planes of the output size to BGRA
    std::unique_ptr<Planes> planes_;
    std::unique_ptr<Planes> halves_[2]; // a shrinking picture's planes, halved in turn
    std::unique_ptr<Buffers> buffers_;  // where pictures are made
};

} // namespace zimo::media
