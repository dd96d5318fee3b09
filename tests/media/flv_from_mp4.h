// Flash Video that FFmpeg's own muxer does not write, made from an MP4 it does.
#pragma once

#include "clips.h"

#include <QString>

namespace zimo::media::test {

// Rewrites an MP4 of H.264, HEVC, AV1 or VP9 pictures and sound as Flash Video in `layout`
// (anything but Mp4): the set-ups first, then each packet in the MP4's order, timed from 0.
// The pictures go under their codec number (HEVC's 12 and AV1's 13, as streaming sites
// record them), or `extended` as newer recorders write them (a composition time only where
// it is not 0, an end of sequence at the end). AAC and MP3 sound goes as Flash has it, or
// in the extended layout when `extendedSound`; Opus, FLAC, AC-3 and E-AC-3 in the extended
// layout always (an end of sequence at the end there too; E-AC-3 with an empty sequence
// start, AC-3 with none). Whether it could.
bool writeAddedCodecFlv(const QString& mp4, const QString& flv, Layout layout,
                        bool extended = false, bool extendedSound = false);

} // namespace zimo::media::test
