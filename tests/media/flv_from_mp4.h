// Flash Video that FFmpeg's own muxer does not write, made from an MP4 it does.
#pragma once

#include "clips.h"

#include <QString>

namespace zimo::media::test {

// Rewrites an MP4 of HEVC, AV1 or VP9 pictures and AAC sound as Flash Video in `layout`
// (anything but Mp4): the configuration records first, then each packet in the MP4's
// order, timed from 0. The pictures go under their codec number (HEVC's 12 and AV1's 13,
// as streaming sites record them), or `extended` as newer recorders write them (a composition time
// only where it is not 0, an end of sequence at the end). Whether it could.
bool writeAddedCodecFlv(const QString& mp4, const QString& flv, Layout layout,
                        bool extended = false);

} // namespace zimo::media::test
