// Seeking on every codec pair and layout the engine plays: to the start, into the middle,
// into the last second, past the end and below 0, each shows the picture due then, reads
// back the time and resumes the sound there.
#include "media/stream.h"

#include "media/clock.h"
#include "media/media_file.h"
#include "media/picture_converter.h"

#include "clips.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QFileInfo>
#include <QThread>

#include <cmath>

namespace zimo::media {
namespace {

using namespace test;

struct Reference {
    std::vector<std::pair<double, std::size_t>> pictures; // time and content hash
    bool sound = false;
};

std::size_t hashOf(const QImage& image) {
    return qHashBits(image.constBits(), static_cast<std::size_t>(image.sizeInBytes()));
}

Reference decodeFromStart(const QString& path) {
    Reference out;
    auto file = MediaFile::open(path);
    if (!file) return out;
    out.sound = file->info().hasAudio;
    PictureConverter converter;
    for (MediaFile::Item item = file->next(); item.kind != MediaFile::Item::Kind::End;
         item = file->next())
        if (item.kind == MediaFile::Item::Kind::Video)
            out.pictures.emplace_back(item.pts, hashOf(converter.convert(item.frame.get())));
    return out;
}

// Index of the picture due at t: the last not after it, else the first.
std::size_t dueAt(const Reference& ref, double t) {
    std::size_t due = 0;
    for (std::size_t i = 0; i < ref.pictures.size(); ++i)
        if (ref.pictures[i].first <= t + 1e-9) due = i;
    return due;
}

long indexOf(const Reference& ref, const QImage& image) {
    const std::size_t h = hashOf(image);
    for (std::size_t i = 0; i < ref.pictures.size(); ++i)
        if (ref.pictures[i].second == h) return static_cast<long>(i);
    return -1;
}

struct Row {
    QString path;
    std::string name;
};

std::vector<Row> rows() {
    std::vector<Row> out;
    for (Codecs c : {Codecs::Flv1Mp3, Codecs::H264Aac, Codecs::FlashSvAdpcm, Codecs::Flv1Nellymoser,
                     Codecs::Flv1Speex, Codecs::Flv1Pcm, Codecs::HevcAac, Codecs::HevcAacExtended})
        for (Layout l : {Layout::Flv, Layout::FlvIndexed, Layout::FlvBare})
            out.push_back({numberedClip(c, l), std::string(codecsName(c)) + "/" + layoutName(l)});
    for (Codecs c :
         {Codecs::Av1AacExtended, Codecs::Vp9AacExtended, Codecs::H264Opus, Codecs::H264Flac,
          Codecs::H264Ac3, Codecs::HevcOpusExtended, Codecs::Vp8AacExtended})
        out.push_back({numberedClip(c, Layout::Flv), std::string(codecsName(c)) + "/flv"});
    for (Codecs c : {Codecs::H264Aac, Codecs::H264Mp3, Codecs::HevcAac})
        out.push_back({numberedClip(c, Layout::Mp4), std::string(codecsName(c)) + "/mp4"});
    if (const QString vp6a = vp6aSamplePath(); !vp6a.isEmpty()) out.push_back({vp6a, "vp6a"});
    return out;
}

TEST(Seek, EveryCodecAndLayoutShowsThePictureAndResumesTheSoundAtTheTarget) {
    for (const Row& row : rows()) {
        SCOPED_TRACE(row.name);
        const Reference ref = decodeFromStart(row.path);
        ASSERT_GT(ref.pictures.size(), 30u);
        const double last = ref.pictures.back().first;
        ManualClock clock;
        Stream stream(Stream::Options{&clock, false});
        stream.play(row.path);
        ASSERT_TRUE(stream.waitForDecoder());
        const double length = last + 0.04; // about; the targets need not be exact
        for (const double target : {0.4 * length, 0.0, length - 0.3, length + 5, -1.0}) {
            SCOPED_TRACE("seek to " + std::to_string(target));
            stream.seek(target);
            ASSERT_TRUE(stream.waitForDecoder());
            const double t = stream.time();
            const QImage shown = stream.currentFrame();
            EXPECT_EQ(indexOf(ref, shown), static_cast<long>(dueAt(ref, t)))
                << "picture number " << pictureNumber(shown);
            stream.pollReports();
            if (target > length) {
                // The end: the last picture, and the end reported once it has played out.
                EXPECT_GE(t, last);
                EXPECT_LE(t, length + 0.15);
                clock.advanceMs(300);
                ASSERT_TRUE(stream.waitForDecoder());
                stream.pollReports();
                EXPECT_TRUE(stream.stats().ended);
                continue;
            }
            EXPECT_DOUBLE_EQ(t, std::max(target, 0.0));
            if (ref.sound) {
                EXPECT_NEAR(stream.stats().soundFrom, t, 1e-6);
            }
            EXPECT_FALSE(stream.stats().ended);
            // And it plays on from there.
            clock.advanceMs(120);
            ASSERT_TRUE(stream.waitForDecoder());
            EXPECT_DOUBLE_EQ(stream.time(), t + 0.12);
            EXPECT_EQ(indexOf(ref, stream.currentFrame()), static_cast<long>(dueAt(ref, t + 0.12)));
        }
    }
}

// A seek far from the key frame before it decodes only the pictures the others are made
// from, up to near its time (x264's B-frames here are mostly such that nothing refers to
// them), and still shows exactly the picture due, wherever the time falls between them.
TEST(Seek, FarFromAKeyFrameOrBehindTheClockDecodesOnlyWhatThePictureDueNeeds) {
    const QString path = clipPath(Clip::H264FarKeyFrames); // 25 a second, one key frame
    const Reference ref = decodeFromStart(path);
    ASSERT_EQ(ref.pictures.size(), 300u);
    ManualClock clock;
    Stream stream(Stream::Options{&clock, false});
    stream.play(path);
    ASSERT_TRUE(stream.waitForDecoder());
    for (const double target : {10.0, 10.03, 7.333, 11.5, 4.26}) {
        SCOPED_TRACE("seek to " + std::to_string(target));
        const std::uint64_t before = stream.stats().decoded;
        stream.seek(target);
        ASSERT_TRUE(stream.waitForDecoder());
        EXPECT_EQ(indexOf(ref, stream.currentFrame()), static_cast<long>(dueAt(ref, target)));
        const auto upToTarget = static_cast<double>(dueAt(ref, target) + 1);
        EXPECT_LT(static_cast<double>(stream.stats().decoded - before), 0.8 * upToTarget);
    }
    // A decoder that finds itself behind the clock (the machine was busy, or is too slow
    // for the stream) catches up the same way, and shows the picture due.
    const std::uint64_t before = stream.stats().decoded;
    clock.advanceMs(6000);
    ASSERT_TRUE(stream.waitForDecoder());
    EXPECT_EQ(indexOf(ref, stream.currentFrame()), static_cast<long>(dueAt(ref, 10.26)));
    const auto behind = static_cast<double>(dueAt(ref, 10.26) - dueAt(ref, 4.26));
    EXPECT_LT(static_cast<double>(stream.stats().decoded - before), 0.8 * behind);
}

// A Flash Video file without a key frame index (as FFmpeg and most recorders write them)
// is seeked by reading on to the time: 50 MB on here, further than the input may read
// without a packet coming out, and the seek still lands on the picture due and plays on.
// So it does past the last key frame, however much follows it.
TEST(Seek, FarIntoAFileWithoutAKeyFrameIndexLandsAndPlaysOn) {
    const QString path =
        ffmpegClip(QStringLiteral("noise.flv"),
                   {"-f", "lavfi", "-i",
                    "nullsrc=s=640x360:r=25:d=7,format=gray,geq=lum='random(1)*255',format=yuv420p",
                    "-c:v", "libx264", "-preset", "ultrafast", "-qp", "0", "-g", "25"});
    ASSERT_FALSE(path.isEmpty());
    ASSERT_GT(QFileInfo(path).size(), kMaxScanBytes * 3 / 2);
    const Reference ref = decodeFromStart(path);
    ManualClock clock;
    Stream stream(Stream::Options{&clock, false});
    stream.play(path);
    ASSERT_TRUE(stream.waitForDecoder());
    stream.seek(6.0);
    ASSERT_TRUE(stream.waitForDecoder());
    stream.pollReports();
    EXPECT_FALSE(stream.stats().ended);
    EXPECT_DOUBLE_EQ(stream.time(), 6.0);
    EXPECT_EQ(indexOf(ref, stream.currentFrame()), static_cast<long>(dueAt(ref, 6.0)));
    clock.advanceMs(200);
    ASSERT_TRUE(stream.waitForDecoder());
    EXPECT_DOUBLE_EQ(stream.time(), 6.2);
    EXPECT_EQ(indexOf(ref, stream.currentFrame()), static_cast<long>(dueAt(ref, 6.2)));

    // Past the last key frame FFmpeg reads on to the end for another, here through 40 MB
    // of sound after pictures that stop at 2 s: the seek still lands and the sound resumes.
    const QString tail =
        ffmpegClip(QStringLiteral("pictures-2s-pcm-240s.flv"),
                   {"-f", "lavfi", "-i", "testsrc=s=160x120:r=25:d=2", "-f", "lavfi", "-i",
                    "sine=d=240", "-c:v", "flv1", "-c:a", "pcm_s16le", "-ac", "2"});
    ASSERT_GT(QFileInfo(tail).size(), kMaxScanBytes);
    stream.play(tail);
    ASSERT_TRUE(stream.waitForDecoder());
    stream.seek(60.0);
    ASSERT_TRUE(stream.waitForDecoder());
    stream.pollReports();
    EXPECT_FALSE(stream.stats().ended);
    EXPECT_NEAR(stream.stats().soundFrom, 60.0, 1e-6);
    clock.advanceMs(200);
    ASSERT_TRUE(stream.waitForDecoder());
    EXPECT_DOUBLE_EQ(stream.time(), 60.2);
}

// Dragging the knob over a file whose key frames lie far apart: each seek is overtaken
// before it decodes its way to the picture due, yet the picture moves with the drag (the
// newest picture decoded on the way stands in), and once the knob rests the exact picture
// due shows.
TEST(Seek, ADragOverFarKeyFramesMovesThePictureAndRestsOnTheExactOne) {
    const QString path = clipPath(Clip::H264FarKeyFrames);
    const Reference ref = decodeFromStart(path);
    ASSERT_EQ(ref.pictures.size(), 300u);
    Stream stream(Stream::Options{nullptr, false});
    stream.play(path);
    stream.pause(true);
    QElapsedTimer wait;
    wait.start();
    while (stream.frameSerial() == 0 && wait.elapsed() < 5000) {
        stream.pollReports();
        QThread::msleep(10);
    }
    // Two seconds of dragging, 30 seeks a second, from 2 s on.
    int changes = 0;
    std::uint64_t serial = stream.frameSerial();
    double target = 0;
    for (int i = 0; i < 60; ++i) {
        stream.pollReports();
        if (stream.frameSerial() != serial) ++changes, serial = stream.frameSerial();
        stream.currentFrame();
        target = 2.0 + i * 0.15;
        stream.seek(target);
        QThread::msleep(33);
    }
    EXPECT_GT(changes, 20) << "the picture stood still while the knob moved";
    wait.restart();
    long shown = -1;
    while (wait.elapsed() < 10000) {
        stream.pollReports();
        shown = indexOf(ref, stream.currentFrame());
        if (shown == static_cast<long>(dueAt(ref, target))) break;
        QThread::msleep(20);
    }
    EXPECT_EQ(shown, static_cast<long>(dueAt(ref, target)));
}

} // namespace
} // namespace zimo::media
