// Sound in Flash Video's extended layout, which newer recorders write and the demuxer does
// not know: the first byte's high four bits 9, a packet type in its low ones, the codec
// named by a FourCC ('Opus', 'fLaC', 'ac-3', 'ec-3', '.mp3', 'mp4a'), then the codec's
// set-up (Opus's identification header, FLAC's STREAMINFO, bare or behind its signature,
// AAC's configuration) or its frames.
//
// The demuxer takes the low bits of the first byte for the sound's rate, size and
// channels, and notes a change of them on the next packet whenever they change; it gives
// the stream no codec and each tag's body after that byte. So the input rewrites the first
// bytes of each such tag: flags that stay the same, then the packet type and the first
// three letters of the FourCC, which are made here into what a decoder takes.
#pragma once

#include "media/flv_added_codecs.h"

#include <cstdint>
#include <span>
#include <vector>

struct AVPacket;
struct AVStream;

namespace zimo::media {

// Whether a tag's header and first body bytes are such a tag's, of a codec played here;
// or whether those from `from` up to `to` may be part of one.
bool isExtendedSoundTag(std::span<const std::uint8_t, kFlvExtendedTagHead> tag, int from = 0,
                        int to = kFlvExtendedTagHead);
// Rewrites such a tag's flags and FourCC as said above.
void rewriteExtendedSoundHead(std::span<std::uint8_t, 5> body);

// Whether the demuxer made a stream of such tags and gave it no codec (yet to be adopted).
bool awaitsFlvAddedSound(const AVStream& stream);

// The packets of such a stream, in the order they are read.
class FlvAddedSound {
public:
    // Gives a stream the demuxer left without a codec its codec, by `first`: the
    // (rewritten) body, after its first byte, of the stream's first tag (as the file's
    // first tags gave it, or as read); set up by it when it is the codec's set-up. Whether
    // it was such a stream.
    bool adopt(AVStream& stream, std::span<const std::uint8_t> first);
    // Makes a tag's body the frames it carries; a set-up goes with the next frames as the
    // decoder's new one. False for a packet that carries no frames (a set-up, the end of
    // the sequence, what this does not play: several tracks, their modifiers).
    bool unwrap(AVPacket& packet);
    void reset() { setup_.clear(); }

private:
    std::uint8_t letters_[3] = {}; // of the codec taken up
    std::vector<std::uint8_t> setup_;
};

} // namespace zimo::media
