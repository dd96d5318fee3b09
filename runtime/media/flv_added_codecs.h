// Pictures in Flash Video in codecs added after Flash, which the demuxer does not know:
//  - HEVC and AV1 under codec numbers 12 and 13, as Chinese streaming sites record their
//    broadcasts, laid out as H.264 is: a packet type, a composition time, then the
//    configuration record or the picture;
//  - the extended layout newer recorders write: the top bit of the first byte set, a
//    packet type in its low bits, the codec named by a FourCC ('hvc1' HEVC, 'av01' AV1,
//    'vp09' VP9, 'vp08' VP8), then for HEVC pictures a composition time, and the record or
//    the picture.
// The demuxer is shown the second in the layout of the first (the input rewrites the first
// bytes of each such tag), VP9 under the number others give it there (15), VP8 under 14;
// it gives the stream no codec and each tag's body as it stands, which is made here into
// what a decoder takes.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <utility>
#include <vector>

extern "C" {
#include <libavutil/rational.h>
}

struct AVCodecParameters;
struct AVPacket;
struct AVStream;

namespace zimo::media {

// Whether a video tag's codec number is one of those.
bool isFlvAddedCodec(int number);

// A video tag's header and the first bytes of its body, as far as the FourCC.
inline constexpr int kFlvExtendedTagHead = 16;
// Whether the bytes are such a tag in the extended layout, of a codec played here; or
// whether those from `from` up to `to` may be part of one.
bool isExtendedVideoTag(std::span<const std::uint8_t, kFlvExtendedTagHead> tag, int from = 0,
                        int to = kFlvExtendedTagHead);
// The shape extended tags of pictures and of sound share: a tag of `type`, not encrypted,
// its stream id 0, flags that fit, then a FourCC whose every letter fits one of the codecs
// played (`letterFits`, by its place in the FourCC) and which is one of them as a whole.
struct ExtendedTagShape {
    std::uint8_t type;
    bool (*flagsFit)(std::uint8_t flags);
    bool (*letterFits)(int at, std::uint8_t letter);
    bool (*known)(const std::uint8_t* fourCc);
};
// Whether the bytes from `from` up to `to` of a tag's head fit the shape; the whole FourCC
// is asked after only when all the head is looked at.
bool fitsExtendedTag(std::span<const std::uint8_t, kFlvExtendedTagHead> tag, int from, int to,
                     const ExtendedTagShape& shape);
// Rewrites the first bytes of such a tag's body (its flags and FourCC) into the older
// layout: the frame type with the codec's number, then the packet type and a composition
// time of 0. A picture whose composition time follows gets a packet type of our own,
// which says it is there.
void rewriteExtendedVideoHead(std::span<std::uint8_t, 5> body);

// Of a tag body in the older layout after its first byte, as the demuxer gives it: where
// the picture starts and how long after its decoding time it is shown, or nothing for a
// body that is no picture (a record, the end of the sequence, or too short to be one).
struct FlvAddedPicture {
    int offset = 0;
    int compositionMs = 0;
};
std::optional<FlvAddedPicture> flvAddedPicture(std::span<const std::uint8_t> body);
// The configuration record such a body carries, if it is one.
std::span<const std::uint8_t> flvAddedSetup(std::span<const std::uint8_t> body);

// What the file's first tags tell of such pictures.
struct FlvAddedStart {
    std::vector<std::uint8_t> setup; // the configuration record
    int firstCompositionMs = 0;      // how long after its decoding time the first is shown
    // The size the first picture gives, for codecs whose record does not say (VP8, VP9).
    int width = 0;
    int height = 0;
};
// The size a key frame of VP8 or VP9 (codec `number`) gives in its first bytes, as width and
// height; none for other pictures and codecs.
std::optional<std::pair<int, int>> flvAddedPictureSize(int number,
                                                       std::span<const std::uint8_t> picture);

// Gives a stream the demuxer left without a codec under one of those numbers its codec,
// set up by the configuration record when the file's first tags gave one, at the size they
// gave, and starts it where its first picture is shown (the demuxer, not knowing
// composition times, starts it at its decoding time). Whether it was such a stream.
bool adoptFlvAddedCodec(AVStream& stream, const FlvAddedStart& start);

// Shared with sound of the extended layout: gives a stream whose demuxer gave it no set-up
// the one the file's first tags carry; gives a packet a set-up met before it as the
// decoder's new one, and forgets it.
void giveStreamSetup(AVCodecParameters& par, std::span<const std::uint8_t> setup);
void givePendingSetup(AVPacket& packet, std::vector<std::uint8_t>& setup);

// The packets of such a stream, in the order they are read.
class FlvAddedPackets {
public:
    // Makes a tag's body the picture it carries, at its presentation time (`timeBase` is
    // the stream's); a configuration record goes with the next picture as the decoder's
    // new set-up. False for a packet that carries no picture.
    bool unwrap(AVPacket& packet, AVRational timeBase);
    // After a seek: a record read before it does not go with the pictures after it.
    void reset() { setup_.clear(); }

private:
    std::vector<std::uint8_t> setup_;
};

} // namespace zimo::media
