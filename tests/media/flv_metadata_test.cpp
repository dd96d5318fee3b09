#include "media/flv_metadata.h"

#include "amf_writer.h"
#include "clips.h"
#include "flv_patch.h"

#include <gtest/gtest.h>

namespace zimo::media {
namespace {

using namespace test;

std::optional<AmfValue> find(const QByteArray& file) {
    return findFlvMetadata(std::span(reinterpret_cast<const std::uint8_t*>(file.constData()),
                                     static_cast<std::size_t>(file.size())));
}

TEST(FlvMetadata, FoundAfterOtherScriptTags) {
    AmfWriter other;
    other.string("onCuePoint").beginObject().name("x").number(1).end();
    AmfWriter meta;
    meta.string("onMetaData").beginEcmaArray(1).name("duration").number(59.5).end();
    const QByteArray file = flvHeader() + flvTag(9, QByteArray(10, 'v')) + flvTag(18, other.bytes) +
                            flvTag(18, meta.bytes);
    const auto v = find(file);
    ASSERT_TRUE(v);
    ASSERT_NE(v->find("duration"), nullptr);
    EXPECT_EQ(v->find("duration")->toNumber(), 59.5);
    // The same bytes read from a file.
    const QString path = scratchPath("meta-after-cue.flv");
    ASSERT_TRUE(writeFile(path, file));
    const auto fromFile = readFlvMetadata(path);
    ASSERT_TRUE(fromFile);
    EXPECT_EQ(*fromFile, *v);
}

TEST(FlvMetadata, AbsentOrBroken) {
    EXPECT_FALSE(find(QByteArray()));
    EXPECT_FALSE(find("FLV"));
    EXPECT_FALSE(find("not a video file at all"));
    EXPECT_FALSE(find(flvHeader()));
    EXPECT_FALSE(find(flvHeader() + flvTag(9, QByteArray(100, 'v'))));
    // A tag claiming more data than the file has still gives what is there.
    AmfWriter meta;
    meta.string("onMetaData").beginEcmaArray(2).name("duration").number(2.5).name("width");
    QByteArray tag = flvTag(18, meta.bytes);
    tag[1] = char(0x7f); // data size far beyond the end
    const auto v = find(flvHeader() + tag);
    ASSERT_TRUE(v);
    EXPECT_EQ(v->find("duration")->toNumber(), 2.5);
    EXPECT_EQ(v->find("width"), nullptr);
    EXPECT_FALSE(readFlvMetadata(scratchPath("does-not-exist.flv")));
}

TEST(FlvMetadata, MadeClipCarriesSizeAndDuration) {
    const auto v = readFlvMetadata(clipPath(Clip::Flv1Mp3));
    ASSERT_TRUE(v);
    ASSERT_NE(v->find("width"), nullptr);
    EXPECT_EQ(v->find("width")->toNumber(), 160);
    EXPECT_EQ(v->find("height")->toNumber(), 120);
    ASSERT_NE(v->find("duration"), nullptr);
    EXPECT_NEAR(v->find("duration")->toNumber(), 2.0, 0.1);
    EXPECT_FALSE(readFlvMetadata(clipPath(Clip::Flv1NoMetadata)));
}

TEST(FlvMetadata, PatchedValuesReadExactly) {
    QByteArray file = readFile(clipPath(Clip::Flv1Mp3));
    ASSERT_TRUE(patchNumber(file, "duration", 59.5));
    ASSERT_TRUE(renameKey(file, "width", "wXdth"));
    ASSERT_TRUE(renameKey(file, "height", "hXight"));
    const auto v = find(file);
    ASSERT_TRUE(v);
    EXPECT_EQ(v->find("duration")->toNumber(), 59.5);
    EXPECT_EQ(v->find("width"), nullptr);
    EXPECT_EQ(v->find("height"), nullptr);
}

TEST(FlvMetadata, RealVp6aSample) {
    const QString path = vp6aSamplePath();
    if (path.isEmpty()) GTEST_SKIP() << "sample not present";
    const auto v = readFlvMetadata(path);
    ASSERT_TRUE(v);
    EXPECT_EQ(v->find("duration")->toNumber(), 3.56);
    EXPECT_EQ(v->find("width")->toNumber(), 1920);
    EXPECT_EQ(v->find("height")->toNumber(), 1080);
    EXPECT_EQ(v->find("videocodecid")->toNumber(), 5);
    EXPECT_EQ(*v->find("canSeekToEnd"), AmfValue::boolean(true));
}

// Pictures of VP8 and VP9 say their size only in a key frame's first bytes, which are read
// with the first tags: here of libvpx's key frames in every profile and colour layout.
TEST(FlvAddedCodecs, KeyFramesOfVp8AndVp9GiveTheirSize) {
    const struct {
        const char* name;
        int number;
        QByteArray start;
        int width, height; // 0: none given
    } rows[] = {
        {"VP9 profile 0", 15, QByteArray::fromHex("824983420009f007761c3824"), 160, 120},
        {"VP9 profile 1, RGB", 15, QByteArray::fromHex("a2498342e00b100636043824"), 178, 100},
        {"VP9 profile 2, 10 bits", 15, QByteArray::fromHex("924983420004f803bb091c12"), 160, 120},
        {"VP9 profile 3, 4:4:4", 15, QByteArray::fromHex("b124c1a10000578047b051c1"), 176, 144},
        {"VP9, not a key frame", 15, QByteArray::fromHex("86004092f101400000146037"), 0, 0},
        {"VP9, too short", 15, QByteArray::fromHex("8249834200"), 0, 0},
        {"VP8", 14, QByteArray::fromHex("b05a009d012a4001f0000007"), 320, 240},
        {"VP8, not a key frame", 14, QByteArray::fromHex("b15a009d012a4001f0000007"), 0, 0},
        {"HEVC", 12, QByteArray::fromHex("824983420009f007761c3824"), 0, 0}};
    for (const auto& row : rows) {
        const auto size = flvAddedPictureSize(
            row.number, {reinterpret_cast<const std::uint8_t*>(row.start.constData()),
                         static_cast<std::size_t>(row.start.size())});
        EXPECT_EQ(size.value_or(std::pair{0, 0}), std::pair(row.width, row.height)) << row.name;
    }
}

} // namespace
} // namespace zimo::media
