// What the demuxer is shown of a file: bytes the input rewrites read so wherever they fall
// against the blocks the demuxer reads in, and all else reads as it is.
#include "media/demuxer_input.h"

#include <QByteArray>

#include <gtest/gtest.h>

extern "C" {
#include <libavformat/avio.h>
}

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
// of codec number 12; tags that only look alike read as they are.
TEST(DemuxerInput, ExtendedVideoTagsReadInTheOlderLayout) {
    // A key frame's tag whose composition time follows its FourCC, of 300 bytes at 1.5 s.
    const QByteArray tag("\x09\x00\x01\x2c\x00\x05\xdc\x00\x00\x00\x00\x91hvc1", 16);
    const QByteArray rewritten("\x1c\x7f\x00\x00\x00", 5);
    struct Row {
        const char* name;
        QByteArray bytes;
        bool rewrites;
    };
    const Row rows[] = {{"the tag", tag, true},
                        {"another FourCC", QByteArray(tag).replace(12, 4, "hvc2"), false},
                        {"the top bit clear", QByteArray(tag).replace(11, 1, "\x11"), false},
                        {"a stream id", QByteArray(tag).replace(10, 1, "\x01"), false},
                        {"a sound tag", QByteArray(tag).replace(0, 1, "\x08"), false}};
    for (const Row& row : rows) {
        for (const int at : kAtTheEdge) {
            QByteArray data = QByteArray(70000, '\x55');
            data.replace(at, row.bytes.size(), row.bytes);
            QByteArray want = data;
            if (row.rewrites) want.replace(at + 11, rewritten.size(), rewritten);
            EXPECT_EQ(readThrough(data, [](DemuxerInput& in) { in.rewriteExtendedVideo(); }), want)
                << row.name << " at " << at;
        }
    }
}

} // namespace
} // namespace zimo::media
