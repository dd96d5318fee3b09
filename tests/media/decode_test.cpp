// Decoding alone, without a stream: each codec a Flash Video file may carry
// gives pictures and sound.
#include "media/media_file.h"
#include "media/picture_converter.h"
#include "media/sound_converter.h"

#include "clips.h"
#include "flv_from_mp4.h"
#include "flv_patch.h"

#include <gtest/gtest.h>

extern "C" {
#include <libavutil/frame.h>
}

#include <cstring>
#include <tuple>

namespace zimo::media {
namespace {

using namespace test;

// Share of pixels that are clearly not black.
double litShare(const QImage& image) {
    qint64 lit = 0;
    for (int y = 0; y < image.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x)
            if (qRed(row[x]) + qGreen(row[x]) + qBlue(row[x]) > 60) ++lit;
    }
    return static_cast<double>(lit) / (static_cast<double>(image.width()) * image.height());
}

struct Decoded {
    QImage firstPicture;
    bool hasVideo = false;
    int pictures = 0;
    int peak = 0; // largest absolute 16-bit sample
    qint64 sampleFrames = 0;
};

Decoded decodeAll(const QString& path, const MediaInfo** infoOut = nullptr) {
    Decoded out;
    auto file = MediaFile::open(path);
    EXPECT_TRUE(file) << path.toStdString();
    if (!file) return out;
    static MediaInfo info;
    info = file->info();
    if (infoOut) *infoOut = &info;
    out.hasVideo = info.hasVideo;
    PictureConverter pictures;
    SoundConverter sounds(SoundFormat{44100, 2, SoundFormat::Sample::S16});
    for (int guard = 0; guard < 100000; ++guard) {
        MediaFile::Item item = file->next();
        if (item.kind == MediaFile::Item::Kind::End) break;
        if (item.kind == MediaFile::Item::Kind::Video) {
            if (out.pictures++ == 0) out.firstPicture = pictures.convert(item.frame.get());
        } else {
            const QByteArray pcm = sounds.convert(item.frame.get());
            out.sampleFrames += pcm.size() / 4;
            for (qsizetype i = 0; i + 1 < pcm.size(); i += 2) {
                std::int16_t v;
                std::memcpy(&v, pcm.constData() + i, 2);
                out.peak = std::max(out.peak, std::abs(static_cast<int>(v)));
            }
        }
    }
    return out;
}

struct CodecCase {
    Clip clip;
    const char* video;
    const char* audio;
};

void PrintTo(const CodecCase& c, std::ostream* os) {
    *os << c.video << "+" << c.audio;
}

class CodecDecode : public ::testing::TestWithParam<CodecCase> {};

TEST_P(CodecDecode, PicturesAndSoundComeOut) {
    const CodecCase c = GetParam();
    const MediaInfo* info = nullptr;
    const Decoded d = decodeAll(clipPath(c.clip), &info);
    ASSERT_NE(info, nullptr);
    EXPECT_TRUE(info->flv);
    EXPECT_EQ(info->videoCodec, c.video);
    EXPECT_EQ(info->audioCodec, c.audio);
    EXPECT_EQ(info->width, 160);
    EXPECT_EQ(info->height, 120);
    EXPECT_GE(d.pictures, 45); // two seconds at 25 a second, give or take
    ASSERT_FALSE(d.firstPicture.isNull());
    EXPECT_EQ(d.firstPicture.format(), QImage::Format_RGB32);
    EXPECT_EQ(d.firstPicture.size(), QSize(160, 120));
    EXPECT_GT(litShare(d.firstPicture), 0.5); // testsrc is mostly bright colour
    EXPECT_GT(d.peak, 1000) << "sound is silent";
    EXPECT_GT(d.sampleFrames, 44100); // more than a second of sound
}

INSTANTIATE_TEST_SUITE_P(FlashVideoCodecs, CodecDecode,
                         ::testing::Values(CodecCase{Clip::Flv1Mp3, "flv", "mp3float"},
                                           CodecCase{Clip::H264Aac, "h264", "aac"},
                                           CodecCase{Clip::FlashSvAdpcm, "flashsv", "adpcm_swf"},
                                           CodecCase{Clip::Flv1Nellymoser, "flv", "nellymoser"},
                                           CodecCase{Clip::Flv1Speex, "flv", "speex"},
                                           CodecCase{Clip::Flv1Pcm, "flv", "pcm_s16le"}),
                         [](const auto& p) {
                             return std::string(p.param.video) + "_" + p.param.audio;
                         });

TEST(Decode, Mp4HeadersGiveSizeAndDuration) {
    const MediaInfo* info = nullptr;
    const Decoded d = decodeAll(clipPath(Clip::Mp4H264Aac), &info);
    ASSERT_NE(info, nullptr);
    EXPECT_FALSE(info->flv);
    EXPECT_EQ(info->width, 160);
    EXPECT_NEAR(info->duration, 2.0, 0.1);
    EXPECT_GT(litShare(d.firstPicture), 0.5);
    EXPECT_GT(d.peak, 1000);
}

// A file's size is given as its picture is shown: pixels that are not square (a DVD's, a
// broadcast's) widen or narrow it, and a turn swaps its sides. A Flash Video file's
// metadata, which the player lays the picture out by, says so too.
TEST(Decode, SizeIsTheShownSize) {
    const struct Row {
        const char* sar;
        int rotate;
        QSize shown;
        const char* container;
    } rows[] = {{"1", 0, {64, 48}, "mp4"},      {"4/3", 0, {85, 48}, "mp4"},
                {"1/2", 0, {32, 48}, "mp4"},    {"4/3", 90, {48, 85}, "mp4"},
                {"1000/1", 0, {64, 48}, "mp4"}, {"1", 0, {64, 48}, "flv"},
                {"4/3", 0, {85, 48}, "flv"}};
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.sar) + " " + std::to_string(row.rotate) + " " + row.container);
        const QString name = QStringLiteral("shape-%1-%2.%3")
                                 .arg(QString::fromLatin1(row.sar).replace('/', '-'))
                                 .arg(row.rotate)
                                 .arg(QLatin1String(row.container));
        const QString made = ffmpegClip(
            "made-" + name, {"-f", "lavfi", "-i", "testsrc=s=64x48:r=25:d=0.2", "-vf",
                             QStringLiteral("setsar=%1").arg(row.sar), "-c:v", "libx264"});
        // The turn is only written as the stream is copied.
        const QString path = ffmpegClip(name, {"-i", made, "-c", "copy", "-metadata:s:v:0",
                                               QStringLiteral("rotate=%1").arg(row.rotate)});
        ASSERT_FALSE(path.isEmpty());
        auto file = MediaFile::open(path);
        ASSERT_TRUE(file);
        EXPECT_EQ(QSize(file->info().width, file->info().height), row.shown);
        if (!file->info().flv) continue;
        ASSERT_TRUE(file->flvMetadata());
        const AmfValue& said = *file->flvMetadata();
        ASSERT_TRUE(said.find("width") && said.find("height"));
        EXPECT_EQ(QSizeF(said.find("width")->toNumber(), said.find("height")->toNumber()),
                  QSizeF(row.shown));
    }
}

// Codecs added to Flash Video after Flash: HEVC and AV1 under codec numbers 12 and 13, as
// streaming sites record them, HEVC, AV1 and VP9 in the extended layout, and sound in the
// extended layout (Opus, FLAC, AC-3 and E-AC-3, AAC and MP3 under their FourCCs too): the size
// known on opening (VP8's and VP9's from their first picture), every picture in its order at its
// time (B-frames come in another order, their times behind each tag's composition time), and all of
// the sound.
TEST(Decode, CodecsAddedAfterFlashPlayWithTheirSound) {
    const struct {
        Codecs codecs;
        Layout layout;
        const char *pictures, *sound;
    } kRows[] = {{Codecs::HevcAac, Layout::Flv, "hevc", "aac"},
                 {Codecs::HevcAac, Layout::FlvBare, "hevc", "aac"},
                 {Codecs::HevcAacExtended, Layout::Flv, "hevc", "aac"},
                 {Codecs::Av1Aac, Layout::Flv, "libdav1d", "aac"},
                 {Codecs::Av1AacExtended, Layout::Flv, "libdav1d", "aac"},
                 {Codecs::Vp9AacExtended, Layout::Flv, "vp9", "aac"},
                 {Codecs::H264Opus, Layout::Flv, "h264", "opus"},
                 {Codecs::H264Opus, Layout::FlvBare, "h264", "opus"},
                 {Codecs::H264Flac, Layout::Flv, "h264", "flac"},
                 {Codecs::H264Ac3, Layout::Flv, "h264", "ac3"},
                 {Codecs::H264Eac3, Layout::Flv, "h264", "eac3"},
                 {Codecs::H264AacExtended, Layout::Flv, "h264", "aac"},
                 {Codecs::H264Mp3Extended, Layout::Flv, "h264", "mp3float"},
                 {Codecs::HevcOpusExtended, Layout::Flv, "hevc", "opus"},
                 {Codecs::Vp8AacExtended, Layout::Flv, "vp8", "aac"}};
    for (const auto& row : kRows) {
        SCOPED_TRACE(std::string(codecsName(row.codecs)) + "/" + layoutName(row.layout));
        auto file = MediaFile::open(numberedClip(row.codecs, row.layout));
        ASSERT_TRUE(file);
        EXPECT_EQ(file->info().videoCodec, row.pictures);
        EXPECT_EQ(file->info().audioCodec, row.sound);
        EXPECT_EQ(QSize(file->info().width, file->info().height), QSize(160, 120));
        PictureConverter pictures;
        std::vector<std::pair<double, int>> shown; // time and number
        double heard = 0;                          // seconds of sound decoded
        for (MediaFile::Item item = file->next(); item.kind != MediaFile::Item::Kind::End;
             item = file->next()) {
            if (item.kind == MediaFile::Item::Kind::Audio)
                heard += static_cast<double>(item.frame->nb_samples) / item.frame->sample_rate;
            else
                shown.emplace_back(item.pts, pictureNumber(pictures.convert(item.frame.get())));
        }
        ASSERT_EQ(shown.size(), 50u);
        for (std::size_t i = 0; i < shown.size(); ++i) {
            EXPECT_EQ(shown[i].second, static_cast<int>(i));
            EXPECT_NEAR(shown[i].first - shown[0].first, 0.04 * static_cast<double>(i), 1e-6);
        }
        EXPECT_NEAR(heard, 2.0, 0.1); // two seconds of tone, give or take a frame
    }
}

// Sound or pictures in a codec added after Flash that first come after the file's first
// tags: a recording whose sound joined late, or one a server began with the sound and the
// pictures from their next key frame. The codec is learnt from the stream's first tags,
// whether the demuxer met them while learning the streams or only after what it looks at
// (5 MB) to learn them.
TEST(Decode, AnAddedCodecFirstMetAfterTheFirstTagsPlays) {
    const struct {
        const char *pictures, *sound; // encoders
        bool soundLate;               // or the pictures
        double lateFrom;              // seconds
        bool extended;                // the pictures in the extended layout
        const char* size;
        const char* quality; // of the pictures: noise coded without loss makes megabytes
        const char *picturesDecoder, *soundDecoder;
    } kRows[] = {{"libx264", "libopus", true, 3, false, "160x120", "28", "h264", "opus"},
                 {"libx264", "ac3", true, 3, false, "160x120", "28", "h264", "ac3"},
                 // 20 MB of pictures first: beyond what the demuxer looks at
                 {"libx264", "libopus", true, 3, false, "320x240", "0", "h264", "opus"},
                 {"libx265", "aac", false, 3, true, "160x120", "28", "hevc", "aac"},
                 {"libx265", "aac", false, 3, false, "160x120", "28", "hevc", "aac"},
                 // Beyond the tags walked for the first pictures (over 1024 of sound)
                 {"libx265", "aac", false, 30, true, "160x120", "28", "hevc", "aac"}};
    constexpr double kLateSeconds = 1; // and the other stream to the end with it
    for (const auto& row : kRows) {
        const QString stem =
            QStringLiteral("late-%1-%2-%3-%4-%5-%6-%7")
                .arg(QLatin1String(row.pictures), QLatin1String(row.sound),
                     QLatin1String(row.soundLate ? "sound" : "pictures"),
                     QLatin1String(row.extended ? "extended" : "older"), QLatin1String(row.size))
                .arg(QLatin1String(row.quality))
                .arg(row.lateFrom);
        SCOPED_TRACE(stem.toStdString());
        const double seconds = row.lateFrom + kLateSeconds;
        const QStringList late = {"-itsoffset", QString::number(row.lateFrom)};
        const QString lasting[] = {QString::number(row.soundLate ? seconds : kLateSeconds),
                                   QString::number(row.soundLate ? kLateSeconds : seconds)};
        const QString mp4 = ffmpegClip(
            stem + ".mp4",
            (row.soundLate ? QStringList() : late) +
                QStringList{"-f", "lavfi", "-i",
                            QStringLiteral("testsrc=s=%1:r=25:d=%2").arg(row.size, lasting[0])} +
                (row.soundLate ? late : QStringList()) +
                QStringList{"-f", "lavfi", "-i", "sine=d=" + lasting[1], "-vf",
                            "noise=alls=60:allf=t", "-fps_mode", "passthrough", "-c:v",
                            row.pictures, "-preset", "ultrafast", "-qp", row.quality, "-c:a",
                            row.sound});
        const QString path = scratchPath(stem + ".flv");
        ASSERT_TRUE(writeAddedCodecFlv(mp4, path, Layout::FlvBare, row.extended));
        // The writer puts the set-ups first: the late stream's goes where that stream starts.
        QByteArray file = readFile(path);
        const char type = row.soundLate ? 8 : 9;
        std::vector<qsizetype> tags;
        for (const qsizetype tag : tagOffsets(file))
            if (file[tag] == type) tags.push_back(tag);
        ASSERT_GE(tags.size(), 2u);
        const auto body = [&](qsizetype tag, int i) { return std::uint8_t(file[tag + 11 + i]); };
        const bool setup =
            row.soundLate || row.extended ? (body(tags[0], 0) & 0x0f) == 0 : body(tags[0], 1) == 0;
        if (setup) { // moved with the size after it
            const qsizetype length = tagLength(file, tags[0]);
            QByteArray moved = file.mid(tags[0], length);
            setTagTime(moved, 0, tagTime(file, tags[1]));
            file.insert(tags[1], moved);
            file.remove(tags[0], length);
        }
        ASSERT_GT(tagOffsets(file).size(), 64u + 4u);
        ASSERT_TRUE(writeFile(path, file));

        auto media = MediaFile::open(path);
        ASSERT_TRUE(media);
        double heard = 0, firstHeard = -1, firstShown = -1;
        int pictures = 0;
        for (MediaFile::Item item = media->next(); item.kind != MediaFile::Item::Kind::End;
             item = media->next()) {
            if (item.kind != MediaFile::Item::Kind::Audio) {
                if (pictures++ == 0) firstShown = item.pts;
                continue;
            }
            if (firstHeard < 0) firstHeard = item.pts;
            heard += static_cast<double>(item.frame->nb_samples) / item.frame->sample_rate;
        }
        EXPECT_EQ(media->info().videoCodec, row.picturesDecoder);
        EXPECT_EQ(media->info().audioCodec, row.soundDecoder);
        EXPECT_EQ(pictures, 25 * (row.soundLate ? seconds : kLateSeconds));
        EXPECT_NEAR(row.soundLate ? firstHeard : firstShown, row.lateFrom, 0.05);
        EXPECT_NEAR(heard, row.soundLate ? kLateSeconds : seconds, 0.1);
    }
}

TEST(Decode, Vp6aSampleKeepsItsAlpha) {
    const QString path = vp6aSamplePath();
    if (path.isEmpty()) GTEST_SKIP() << "sample not present";
    auto file = MediaFile::open(path);
    ASSERT_TRUE(file);
    EXPECT_EQ(file->info().videoCodec, "vp6a");
    EXPECT_TRUE(file->info().videoHasAlpha);
    EXPECT_FALSE(file->info().hasAudio);
    MediaFile::Item item;
    do
        item = file->next();
    while (item.kind == MediaFile::Item::Kind::Audio);
    ASSERT_EQ(item.kind, MediaFile::Item::Kind::Video);
    // At its own size, and made for a small place turned a quarter.
    PictureConverter pictures;
    for (const PictureTarget& target : {PictureTarget{}, PictureTarget{QSize(270, 480), 1}}) {
        const QImage image = pictures.convert(item.frame.get(), target);
        ASSERT_EQ(image.format(), QImage::Format_ARGB32);
        EXPECT_EQ(image.size(), target.natural() ? QSize(1920, 1080) : target.size);
        int transparent = 0, opaque = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                const int a = qAlpha(image.pixel(x, y));
                transparent += a < 16;
                opaque += a > 240;
            }
        }
        EXPECT_GT(transparent, 0);
        EXPECT_GT(opaque, 0);
    }
}

// A picture comes out in the colours it was made in, by the colour matrix and range its
// stream says it was coded with; one that says nothing is taken as standard definition
// video was (BT.601, limited range). Each clip is a flat colour, coded without loss.
TEST(Decode, PicturesKeepTheirColoursByTheMatrixAndRangeTheyWereCodedWith) {
    const QRgb colour = qRgb(200, 50, 40);
    struct Row {
        const char* name;
        const char* filter; // how ffmpeg makes the planes
        const char* tags;   // what the stream says of them
    } rows[] = {
        {"untagged", "scale=out_color_matrix=bt601:out_range=tv,format=yuv420p", ""},
        {"bt601", "scale=out_color_matrix=bt601:out_range=tv,format=yuv420p",
         "-colorspace smpte170m -color_range tv"},
        {"bt709", "scale=out_color_matrix=bt709:out_range=tv,format=yuv420p",
         "-colorspace bt709 -color_range tv"},
        {"bt709_full", "scale=out_color_matrix=bt709:out_range=pc,format=yuvj420p",
         "-colorspace bt709 -color_range pc"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        QStringList args{"-f",  "lavfi",    "-i",   "color=c=0xC83228:size=64x48:rate=25:d=0.2",
                         "-vf", row.filter, "-c:v", "libx264",
                         "-qp", "0"};
        if (*row.tags) args << QString::fromLatin1(row.tags).split(QLatin1Char(' '));
        const QString path = ffmpegClip(QStringLiteral("colour-%1.flv").arg(row.name), args);
        ASSERT_FALSE(path.isEmpty());
        auto file = MediaFile::open(path);
        ASSERT_TRUE(file);
        MediaFile::Item item = file->next();
        ASSERT_EQ(item.kind, MediaFile::Item::Kind::Video);
        // At its own size, grown and halved: each way through the converter.
        PictureConverter pictures;
        for (const QSize size : {QSize(), QSize(96, 72), QSize(32, 24)}) {
            const QImage picture = pictures.convert(item.frame.get(), PictureTarget{size});
            ASSERT_FALSE(picture.isNull());
            const QRgb got = picture.pixel(picture.width() / 2, picture.height() / 2);
            // Within the rounding of 8-bit YUV (FFmpeg's own conversion is 4 off in
            // blue); the wrong matrix is 16 off in red and green.
            EXPECT_NEAR(qRed(got), qRed(colour), 5) << size.width();
            EXPECT_NEAR(qGreen(got), qGreen(colour), 5) << size.width();
            EXPECT_NEAR(qBlue(got), qBlue(colour), 5) << size.width();
        }
    }
}

// A clip filmed with the camera on its side says so in its container (MP4's display
// matrix): its pictures come out turned as FFmpeg's own tool shows them, at their own size
// and made for a place on the screen, and its size is given as shown.
TEST(Decode, PicturesOfAClipFilmedOnItsSideComeOutAsTheContainerSaysToShowThem) {
    // Red top left, blue top right, white below: every turn and mirroring looks different.
    const QString plain = ffmpegClip(
        "upright.mp4", {"-f", "lavfi", "-i",
                        "color=c=red:s=32x24:r=25:d=0.2,pad=64:24:0:0:blue,pad=64:48:0:0:white",
                        "-vf", "format=yuv420p", "-c:v", "libx264", "-qp", "0"});
    ASSERT_FALSE(plain.isEmpty());
    const auto quadrants = [](const QImage& image) {
        QList<QRgb> out;
        for (const double y : {0.25, 0.75})
            for (const double x : {0.25, 0.75})
                out << image.pixel(int(x * image.width()), int(y * image.height()));
        return out;
    };
    const auto near = [](const QList<QRgb>& a, const QList<QRgb>& b) {
        for (qsizetype i = 0; i < a.size(); ++i)
            if (std::abs(qRed(a[i]) - qRed(b[i])) > 8 ||
                std::abs(qGreen(a[i]) - qGreen(b[i])) > 8 ||
                std::abs(qBlue(a[i]) - qBlue(b[i])) > 8)
                return false;
        return true;
    };
    for (const int rotate : {0, 90, 180, 270}) {
        SCOPED_TRACE(rotate);
        const QString turned = ffmpegClip(QStringLiteral("turned-%1.mp4").arg(rotate),
                                          {"-i", plain, "-c", "copy", "-metadata:s:v:0",
                                           QStringLiteral("rotate=%1").arg(rotate)});
        const QString shown = ffmpegClip(QStringLiteral("turned-%1.png").arg(rotate),
                                         {"-i", turned, "-frames:v", "1"});
        const QImage expected(shown);
        ASSERT_FALSE(expected.isNull());
        auto file = MediaFile::open(turned);
        ASSERT_TRUE(file);
        EXPECT_EQ(QSize(file->info().width, file->info().height), expected.size());
        MediaFile::Item item = file->next();
        ASSERT_EQ(item.kind, MediaFile::Item::Kind::Video);
        PictureConverter pictures;
        const QImage own = pictures.convert(item.frame.get());
        EXPECT_EQ(own.size(), expected.size());
        EXPECT_TRUE(near(quadrants(own), quadrants(expected)));
        // Made for a place twice as large, turned a quarter and mirrored on the screen.
        PictureTarget place;
        place.size = expected.size().transposed() * 2;
        place.quarterTurns = 1;
        place.mirrored = true;
        const QImage placed = pictures.convert(item.frame.get(), place);
        EXPECT_EQ(placed.size(), place.size);
        const QImage want = expected.mirrored(true, false).transformed(QTransform().rotate(90));
        EXPECT_TRUE(near(quadrants(placed), quadrants(want)));
    }
}

// H.264 in Flash Video whose parameter sets come late or never: a recording begun
// mid-stream, a piece cut from a longer file. What can be decoded plays; a stream framed
// with start codes carries its parameter sets itself and needs none.
TEST(Decode, H264PicturesBeforeTheirParameterSetsArePassedOver) {
    const QByteArray whole = readFile(numberedClip(Codecs::H264Aac, Layout::Flv));
    const auto byte = [&](qsizetype i) { return static_cast<std::uint8_t>(whole[i]); };
    const auto tagBytes = [&](qsizetype at) { return whole.mid(at, tagLength(whole, at)); };
    QByteArray setsLate = whole.left(13), noSets = whole.left(13), wire = whole.left(13);
    QByteArray sets, setsTag; // the parameter sets with start codes; their tag
    int pictures = 0;
    for (const qsizetype at : tagOffsets(whole)) {
        const QByteArray tag = tagBytes(at);
        const bool video = byte(at) == 9;
        if (video && byte(at + 12) == 0) { // the configuration record: one SPS, one PPS
            setsTag = tag;
            const QByteArray record = tag.mid(16, tag.size() - 20);
            const int spsSize = (std::uint8_t(record[6]) << 8) | std::uint8_t(record[7]);
            const int ppsAt = 8 + spsSize + 1;
            const int ppsSize =
                (std::uint8_t(record[ppsAt]) << 8) | std::uint8_t(record[ppsAt + 1]);
            const QByteArray code("\0\0\0\1", 4);
            sets = code + record.mid(8, spsSize) + code + record.mid(ppsAt + 2, ppsSize);
            continue;
        }
        setsLate += tag;
        noSets += tag;
        if (video && ++pictures == 10) setsLate += setsTag;
        if (!video) {
            wire += tag;
            continue;
        }
        // Each NAL unit behind a start code instead of its length, the sets before a key.
        QByteArray body = tag.mid(11, 5);
        if ((byte(at + 11) >> 4) == 1) body += sets;
        for (qsizetype n = 16; n + 4 <= tag.size() - 4;) {
            const qsizetype size = (qsizetype(std::uint8_t(tag[n])) << 24) |
                                   (std::uint8_t(tag[n + 1]) << 16) |
                                   (std::uint8_t(tag[n + 2]) << 8) | std::uint8_t(tag[n + 3]);
            body += QByteArray("\0\0\0\1", 4) + tag.mid(n + 4, size);
            n += 4 + size;
        }
        QByteArray rebuilt = tag.left(11) + body;
        for (int i = 0; i < 3; ++i)
            rebuilt[1 + i] = static_cast<char>((body.size() >> (8 * (2 - i))) & 0xff);
        const auto total = static_cast<std::uint32_t>(rebuilt.size());
        for (int i = 0; i < 4; ++i)
            rebuilt += static_cast<char>((total >> (8 * (3 - i))) & 0xff);
        wire += rebuilt;
    }
    ASSERT_FALSE(sets.isEmpty());
    const struct {
        const char* name;
        QByteArray file;
        bool hasVideo;
        int fewest, most; // pictures
    } cases[] = {
        // From the first key frame after the sets at the latest; those before it as FFmpeg
        // can make them without the pictures they are made from.
        {"the sets after ten pictures", setsLate, true, 25, 40},
        {"no sets at all: sound alone", noSets, false, 0, 0},
        {"framed with start codes, the sets before each key", wire, true, 50, 50},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = scratchPath(QStringLiteral("sets-%1.flv").arg(c.fewest));
        ASSERT_TRUE(writeFile(path, c.file));
        const Decoded d = decodeAll(path);
        EXPECT_EQ(d.hasVideo, c.hasVideo);
        EXPECT_GE(d.pictures, c.fewest);
        EXPECT_LE(d.pictures, c.most);
        if (d.pictures) { // from the first through to the end
            EXPECT_EQ(pictureNumber(d.firstPicture), 50 - d.pictures);
        }
        EXPECT_GT(d.sampleFrames, 44100 * 19 / 10); // all the sound
    }
}

TEST(Decode, RefusesWhatIsNotPlayable) {
    EXPECT_FALSE(MediaFile::open(scratchPath("missing.flv")));
    EXPECT_FALSE(MediaFile::open(scratchPath(""))); // the folder itself
    const QString text = scratchPath("notes.txt");
    ASSERT_TRUE(writeFile(text, "Just some words.\nNothing to play here.\n"));
    EXPECT_FALSE(MediaFile::open(text));
    const QString empty = scratchPath("empty.flv");
    ASSERT_TRUE(writeFile(empty, QByteArray()));
    EXPECT_FALSE(MediaFile::open(empty));
    const QString headerOnly = scratchPath("header-only.flv");
    ASSERT_TRUE(writeFile(headerOnly, QByteArray("FLV\x01\x05\0\0\0\x09\0\0\0\0", 13)));
    auto file = MediaFile::open(headerOnly);
    if (file) {
        EXPECT_EQ(file->next().kind, MediaFile::Item::Kind::End);
    }
}

} // namespace
} // namespace zimo::media
