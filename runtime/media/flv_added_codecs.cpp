#include "media/flv_added_codecs.h"

extern "C" {
#include <libavcodec/packet.h>
#include <libavformat/avformat.h>
#include <libavutil/mathematics.h>
#include <libavutil/mem.h>
}

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <iterator>

namespace zimo::media {

namespace {

struct AddedCodec {
    char fourCc[4]; // in the extended layout
    int number;     // in the older one
    AVCodecID id;
    bool compositionTime; // whether its pictures in the extended layout have one
};
constexpr AddedCodec kCodecs[] = {{{'h', 'v', 'c', '1'}, 12, AV_CODEC_ID_HEVC, true},
                                  {{'a', 'v', '0', '1'}, 13, AV_CODEC_ID_AV1, false},
                                  {{'v', 'p', '0', '9'}, 15, AV_CODEC_ID_VP9, false},
                                  {{'v', 'p', '0', '8'}, 14, AV_CODEC_ID_VP8, false}};

template <typename Fits> const AddedCodec* find(Fits fits) {
    const auto* c = std::find_if(std::begin(kCodecs), std::end(kCodecs), fits);
    return c == std::end(kCodecs) ? nullptr : c;
}

const AddedCodec* byFourCc(const std::uint8_t* fourCc) {
    return find([&](const AddedCodec& c) { return std::memcmp(c.fourCc, fourCc, 4) == 0; });
}

const AddedCodec* byNumber(int number) {
    return find([&](const AddedCodec& c) { return c.number == number; });
}

constexpr int kVideoTag = 9;
constexpr std::uint8_t kExtended = 0x80;
// Packet types: of both layouts, then of the extended one only, then ours: a picture of
// the extended layout whose composition time follows the (rewritten) FourCC, so it starts
// three bytes later.
enum : std::uint8_t {
    kSetup = 0,
    kPicture = 1,
    kSequenceEnd = 2,
    kPictureShownAsDecoded = 3,
    kPictureCompositionAfter = 0x7f
};
constexpr int kHeadSize = 4; // packet type, composition time
// A composition time further from the decoding time than this is nonsense, and ignored.
constexpr int kMaxCompositionMs = 15 * 60 * 1000;

int signed24(const std::uint8_t* p) {
    const int v = (p[0] << 16) | (p[1] << 8) | p[2];
    return v >= 0x800000 ? v - 0x1000000 : v;
}

} // namespace

bool isFlvAddedCodec(int number) {
    return byNumber(number) != nullptr;
}

bool fitsExtendedTag(std::span<const std::uint8_t, kFlvExtendedTagHead> tag, int from, int to,
                     const ExtendedTagShape& shape) {
    for (int k = from; k < to; ++k) {
        const std::uint8_t b = tag[static_cast<std::size_t>(k)];
        const bool fits = k == 0    ? b == shape.type
                          : k < 8   ? true
                          : k < 11  ? b == 0
                          : k == 11 ? shape.flagsFit(b)
                                    : shape.letterFits(k - 12, b);
        if (!fits) return false;
    }
    return from > 12 || to < kFlvExtendedTagHead || shape.known(tag.data() + 12);
}

bool isExtendedVideoTag(std::span<const std::uint8_t, kFlvExtendedTagHead> tag, int from, int to) {
    static constexpr ExtendedTagShape kShape{
        kVideoTag, [](std::uint8_t flags) { return (flags & kExtended) != 0; },
        [](int at, std::uint8_t letter) {
            return std::any_of(std::begin(kCodecs), std::end(kCodecs),
                               [&](const AddedCodec& c) { return letter == c.fourCc[at]; });
        },
        [](const std::uint8_t* fourCc) { return byFourCc(fourCc) != nullptr; }};
    return fitsExtendedTag(tag, from, to, kShape);
}

void rewriteExtendedVideoHead(std::span<std::uint8_t, 5> body) {
    const AddedCodec* codec = byFourCc(body.data() + 1);
    if (!codec) return;
    const std::uint8_t type = body[0] & 0x0f;
    body[0] = static_cast<std::uint8_t>((body[0] & 0x70) | codec->number);
    body[1] = type == kSetup     ? kSetup
              : type == kPicture ? (codec->compositionTime ? kPictureCompositionAfter : kPicture)
              : type == kPictureShownAsDecoded ? kPicture
                                               : kSequenceEnd; // or anything else: no picture
    body[2] = body[3] = body[4] = 0;
}

std::optional<FlvAddedPicture> flvAddedPicture(std::span<const std::uint8_t> body) {
    if (body.size() <= kHeadSize) return std::nullopt;
    int offset = kHeadSize;
    const std::uint8_t* composition = body.data() + 1;
    if (body[0] == kPictureCompositionAfter) {
        offset += 3;
        composition = body.data() + kHeadSize;
        if (body.size() <= static_cast<std::size_t>(offset)) return std::nullopt;
    } else if (body[0] != kPicture) {
        return std::nullopt;
    }
    const int ms = signed24(composition);
    return FlvAddedPicture{offset, std::abs(ms) <= kMaxCompositionMs ? ms : 0};
}

std::span<const std::uint8_t> flvAddedSetup(std::span<const std::uint8_t> body) {
    if (body.size() <= kHeadSize || body[0] != kSetup) return {};
    return body.subspan(kHeadSize);
}

std::optional<std::pair<int, int>> flvAddedPictureSize(int number,
                                                       std::span<const std::uint8_t> picture) {
    const AddedCodec* codec = byNumber(number);
    if (codec && codec->id == AV_CODEC_ID_VP8) {
        // A key frame's tag (bit 0 clear), its start code, then 14 bits of each dimension.
        if (picture.size() < 10 || (picture[0] & 1) || picture[3] != 0x9d || picture[4] != 0x01 ||
            picture[5] != 0x2a)
            return std::nullopt;
        const int width = (picture[6] | (picture[7] << 8)) & 0x3fff;
        const int height = (picture[8] | (picture[9] << 8)) & 0x3fff;
        if (width == 0 || height == 0) return std::nullopt;
        return std::pair{width, height};
    }
    if (!codec || codec->id != AV_CODEC_ID_VP9) return std::nullopt;
    // The uncompressed header of a key frame: its marker, profile and type, the sync code,
    // how its colour is laid out, then each dimension less one in 16 bits.
    std::size_t bit = 0;
    const auto read = [&](int n) {
        int v = 0;
        for (; n > 0; --n, ++bit)
            v = (v << 1) | ((picture[bit / 8] >> (7 - bit % 8)) & 1);
        return v;
    };
    if (picture.size() < 12 || read(2) != 2) return std::nullopt;
    const int low = read(1);
    const int profile = (read(1) << 1) | low;
    if (profile == 3 && read(1) != 0) return std::nullopt;
    if (read(1) /* an earlier frame shown again */ || read(1) /* not a key frame */)
        return std::nullopt;
    read(2); // shown, error resilient
    if (read(24) != 0x498342) return std::nullopt;
    if (profile >= 2) read(1); // bit depth
    constexpr int kRgb = 7;
    const bool subsampling = profile == 1 || profile == 3;
    if (read(3) != kRgb)
        read(subsampling ? 4 : 1); // range, and subsampling with a reserved bit
    else if (subsampling)
        read(1);
    const int width = read(16) + 1;
    const int height = read(16) + 1;
    return std::pair{width, height};
}

bool adoptFlvAddedCodec(AVStream& stream, const FlvAddedStart& start) {
    AVCodecParameters& par = *stream.codecpar;
    const AddedCodec* codec = byNumber(static_cast<int>(par.codec_tag));
    if (par.codec_type != AVMEDIA_TYPE_VIDEO || par.codec_id != AV_CODEC_ID_NONE || !codec)
        return false;
    par.codec_id = codec->id;
    if (stream.start_time != AV_NOPTS_VALUE)
        stream.start_time +=
            av_rescale_q(start.firstCompositionMs, AVRational{1, 1000}, stream.time_base);
    if (par.width <= 0 || par.height <= 0) {
        par.width = start.width;
        par.height = start.height;
    }
    giveStreamSetup(par, start.setup);
    return true;
}

void giveStreamSetup(AVCodecParameters& par, std::span<const std::uint8_t> setup) {
    if (setup.empty() || par.extradata) return;
    auto* data =
        static_cast<std::uint8_t*>(av_mallocz(setup.size() + AV_INPUT_BUFFER_PADDING_SIZE));
    if (!data) return;
    std::memcpy(data, setup.data(), setup.size());
    par.extradata = data;
    par.extradata_size = static_cast<int>(setup.size());
}

void givePendingSetup(AVPacket& packet, std::vector<std::uint8_t>& setup) {
    if (setup.empty()) return;
    if (std::uint8_t* sd =
            av_packet_new_side_data(&packet, AV_PKT_DATA_NEW_EXTRADATA, setup.size()))
        std::memcpy(sd, setup.data(), setup.size());
    setup.clear();
}

bool FlvAddedPackets::unwrap(AVPacket& packet, AVRational timeBase) {
    const std::span<const std::uint8_t> body(packet.data, static_cast<std::size_t>(packet.size));
    if (const auto setup = flvAddedSetup(body); !setup.empty()) {
        setup_.assign(setup.begin(), setup.end());
        return false;
    }
    const auto picture = flvAddedPicture(body);
    if (!picture) return false;
    if (packet.dts != AV_NOPTS_VALUE)
        packet.pts =
            packet.dts + av_rescale_q(picture->compositionMs, AVRational{1, 1000}, timeBase);
    packet.data += picture->offset;
    packet.size -= picture->offset;
    givePendingSetup(packet, setup_);
    return true;
}

} // namespace zimo::media
