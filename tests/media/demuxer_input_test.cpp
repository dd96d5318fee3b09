// What the demuxer is shown of a file: bytes the input rewrites read so wherever they fall
// against the blocks the demuxer reads in, and all else reads as it is.
#include "media/demuxer_input.h"

#include <QByteArray>

#include <gtest/gtest.h>

extern "C" {
#include <libavformat/avio.h>
}

#include <cstring>
#include <functional>

namespace zimo::media {
namespace {

// The whole of `data` as the demuxer reads it, through an input set up by `setUp`.
QByteArray readThrough(const QByteArray& data, const std::function<void(DemuxerInput&)>& setUp) {
    DemuxerInput input(
        MediaSource::fromMemory({reinterpret_cast<const std::uint8_t*>(data.constData()),
                                 static_cast<std::size_t>(data.size())}),
        {});
    setUp(input);
    QByteArray got(data.size(), '\0');
    for (int done = 0; done < got.size();) {
        const int n =
            avio_read(input.context(), reinterpret_cast<unsigned char*>(got.data()) + done,
                      std::min(4096, static_cast<int>(got.size()) - done));
        if (n <= 0) return {};
        done += n;
    }
    return got;
}

// Offsets about the edge of the demuxer's first block, and one inside the next.
constexpr int kAtTheEdge[] = {32768 - 16, 32768 - 13, 32768 - 12, 32768 - 11, 32768 - 9, 32768 - 5,
                              32768 - 3,  32768 - 1,  32768,      32768 + 1,  40000};

// A Flash Video file header inside the data (files joined one after another) reads with
// its size bytes hidden, as an empty tag; the header at the start reads as it is.
TEST(DemuxerInput, LaterFileHeadersReadAsEmptyTags) {
    const QByteArray header("FLV\x01\x05\0\0\0\x09", 9);
    for (const int at : kAtTheEdge) {
        QByteArray data = header + QByteArray(70000, 'F');
        data.replace(at, header.size(), header);
        QByteArray want = data;
        want.replace(at + 1, 3, QByteArray(3, '\0'));
        EXPECT_EQ(readThrough(data, [](DemuxerInput& in) { in.hideJoinedHeaders(); }), want)
            << "a header at " << at;
    }
}

// A video tag in the extended layout reads with its flags and FourCC in the older layout
// its codec's number would have, a sound tag as the demuxer passes it through; tags that
// only look alike read as they are.
TEST(DemuxerInput, ExtendedTagsReadInLayoutsTheDemuxerPassesThrough) {
    // A key frame's tag of HEVC whose composition time follows its FourCC, of 300 bytes
    // at 1.5 s; then the older layout's flags, packet type and composition time. Sound tags
    // get flags that stay the same, then their packet type and three letters of the FourCC.
    const QByteArray tag("\x09\x00\x01\x2c\x00\x05\xdc\x00\x00\x00\x00\x91hvc1", 16);
    const auto with = [&](int at, const char* bytes) {
        return QByteArray(tag).replace(at, static_cast<int>(std::strlen(bytes)), bytes);
    };
    const auto sound = [&](int flags, const char* fourCc) {
        return with(0, "\x08").replace(11, 5, QByteArray(1, static_cast<char>(flags)) + fourCc);
    };
    const auto asSound = [](int type, const char* letters) {
        return QByteArray(1, '\x9f') + static_cast<char>(type) + letters;
    };
    const struct {
        const char* name;
        QByteArray bytes;
        QByteArray rewritten; // none where the tag reads as it is
    } rows[] = {{"HEVC, a composition time after", tag, QByteArray("\x1c\x7f\x00\x00\x00", 5)},
                {"HEVC, none", with(11, "\x93"), QByteArray("\x1c\x01\x00\x00\x00", 5)},
                {"HEVC's record", with(11, "\x90"), QByteArray("\x1c\x00\x00\x00\x00", 5)},
                {"an AV1 picture between",
                 with(11, "\xa1"
                          "av01"),
                 QByteArray("\x2d\x01\x00\x00\x00", 5)},
                {"the end of VP9", with(11, "\x92vp09"), QByteArray("\x1f\x02\x00\x00\x00", 5)},
                {"another FourCC", with(12, "hvc2"), {}},
                {"the top bit clear", with(11, "\x11"), {}},
                {"a stream id", with(10, "\x01"), {}},
                {"a sound tag of a picture's FourCC", with(0, "\x08"), {}},
                {"Opus frames", sound(0x91, "Opus"), asSound(1, "Opu")},
                {"FLAC's set-up", sound(0x90, "fLaC"), asSound(0, "fLa")},
                {"the end of E-AC-3", sound(0x92, "ec-3"), asSound(2, "ec-")},
                {"AAC's channels", sound(0x94, "mp4a"), asSound(4, "mp4")},
                {"several tracks", sound(0x95, "Opus"), {}},
                {"the older layout's AAC", sound(0xaf, "\x01mp3"), {}},
                {"a picture's tag of a sound's FourCC", with(12, "Opus"), {}}};
    for (const auto& row : rows) {
        for (const int at : kAtTheEdge) {
            QByteArray data = QByteArray(70000, '\x55');
            data.replace(at, row.bytes.size(), row.bytes);
            QByteArray want = data;
            if (!row.rewritten.isEmpty())
                want.replace(at + 11, row.rewritten.size(), row.rewritten);
            EXPECT_EQ(readThrough(data,
                                  [](DemuxerInput& in) {
                                      in.rewriteExtendedVideo();
                                      in.rewriteExtendedSound();
                                  }),
                      want)
                << row.name << " at " << at;
        }
    }
}

} // namespace
} // namespace zimo::media
