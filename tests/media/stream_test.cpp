// The stream on a hand-stepped clock: reports, position, pictures, seeking,
// pausing and bad files.
#include "media/stream.h"

#include "media/clock.h"
#include "media/media_file.h"
#include "media/picture_converter.h"

#include "clips.h"
#include "flv_patch.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

namespace zimo::media {
namespace {

using namespace test;

// Every picture of a clip with its time, decoded directly, to check which one
// the stream shows.
std::vector<std::pair<double, QImage>> referencePictures(const QString& path) {
    std::vector<std::pair<double, QImage>> out;
    auto file = MediaFile::open(path);
    if (!file) return out;
    PictureConverter converter;
    for (;;) {
        MediaFile::Item item = file->next();
        if (item.kind == MediaFile::Item::Kind::End) break;
        if (item.kind == MediaFile::Item::Kind::Video)
            out.emplace_back(item.pts, converter.convert(item.frame.get()));
    }
    return out;
}

// The picture due at t: the latest with a time not after it.
QImage pictureAt(const std::vector<std::pair<double, QImage>>& pictures, double t) {
    QImage best;
    for (const auto& [pts, image] : pictures)
        if (pts <= t + 1e-9) best = image;
    return best;
}

class StreamTest : public ::testing::Test {
protected:
    ManualClock clock;
    Stream stream{Stream::Options{&clock, false}};
    std::vector<Report> reports;

    // Lets the decoder catch up with the clock, then collects what it reported.
    void settle() {
        ASSERT_TRUE(stream.waitForDecoder());
        auto got = stream.pollReports();
        reports.insert(reports.end(), got.begin(), got.end());
    }
    void advance(int ms) {
        clock.advanceMs(ms);
        settle();
    }
    std::vector<QString> codes() const {
        std::vector<QString> out;
        for (const auto& r : reports)
            out.push_back(r.kind == Report::Kind::Status ? r.code : QStringLiteral("onMetaData"));
        return out;
    }
    int count(const QString& code) const {
        const auto c = codes();
        return static_cast<int>(std::count(c.begin(), c.end(), code));
    }
    const AmfValue* metadata() const {
        for (const auto& r : reports)
            if (r.kind == Report::Kind::MetaData) return &r.metadata;
        return nullptr;
    }
    // Steps the clock until the stream reports its end; the time then.
    double playToEnd(int stepMs = 100, int maxSteps = 400) {
        for (int i = 0; i < maxSteps && count(status::PlayStop) == 0; ++i)
            advance(stepMs);
        EXPECT_EQ(count(status::PlayStop), 1);
        return stream.time();
    }
};

TEST_F(StreamTest, PlaysFromStartToStopOnTheSteppedClock) {
    int notified = 0;
    stream.setReportNotifier([&] { ++notified; });
    const QString path = clipPath(Clip::Flv1Mp3);
    const auto reference = referencePictures(path);
    ASSERT_FALSE(reference.empty());

    EXPECT_EQ(stream.time(), 0);
    EXPECT_TRUE(stream.currentFrame().isNull());
    stream.play(path);
    settle();
    EXPECT_GT(notified, 0);
    ASSERT_GE(reports.size(), 3u);
    EXPECT_EQ(codes()[0], status::PlayStart);
    EXPECT_EQ(codes()[1], "onMetaData");
    EXPECT_EQ(count(status::BufferFull), 1);
    ASSERT_NE(metadata(), nullptr);
    EXPECT_EQ(metadata()->find("width")->toNumber(), 160);
    EXPECT_EQ(stream.time(), 0);
    // The first picture shows at once, even when its time is a little after 0.
    EXPECT_EQ(stream.currentFrame(), reference.front().second);

    // The position is the clock's, and the picture the one due then.
    std::uint64_t serial = stream.frameSerial();
    for (int step = 1; step <= 10; ++step) {
        advance(130);
        EXPECT_DOUBLE_EQ(stream.time(), step * 0.13);
        EXPECT_EQ(stream.currentFrame(), pictureAt(reference, step * 0.13)) << "at step " << step;
        EXPECT_NE(stream.frameSerial(), serial);
        serial = stream.frameSerial();
    }
    EXPECT_EQ(count(status::PlayStop), 0);
    const double end = playToEnd();
    EXPECT_GE(end, reference.back().first);
    EXPECT_LE(end, 2.2);
    EXPECT_EQ(stream.currentFrame(), reference.back().second);
    // Nothing moves and nothing more is said after the end.
    advance(1000);
    EXPECT_EQ(stream.time(), end);
    EXPECT_EQ(count(status::PlayStop), 1);
}

TEST_F(StreamTest, PicturesAreMadeForTheirPlaceAndTellWhenTheNextIsDue) {
    stream.play(clipPath(Clip::Flv1Mp3));
    settle();
    EXPECT_EQ(stream.currentFrame().size(), QSize(160, 120));
    EXPECT_EQ(stream.currentFrameSize(), QSize(160, 120));
    // A new place: the picture shown is made again for it, turned a quarter.
    const PictureTarget turned{QSize(90, 120), 1};
    const std::uint64_t serial = stream.frameSerial();
    stream.setPictureTarget(turned);
    EXPECT_NE(stream.frameSerial(), serial);
    EXPECT_EQ(stream.currentFrame().size(), QSize(90, 120));
    EXPECT_EQ(stream.currentFrameTarget(), turned);
    EXPECT_EQ(stream.currentFrameSize(), QSize(160, 120));
    const std::uint64_t again = stream.frameSerial();
    // The next picture tells when it is due, and comes then, made for the place.
    settle();
    const auto due = stream.nextPictureDueUs();
    ASSERT_TRUE(due);
    EXPECT_GT(*due, 0);
    EXPECT_LE(*due, 200'000);
    clock.advanceUs(*due);
    settle();
    EXPECT_NE(stream.frameSerial(), again);
    EXPECT_EQ(stream.currentFrame().size(), QSize(90, 120));
    // Paused, the clock stands: no picture comes due.
    stream.pause(true);
    settle();
    EXPECT_FALSE(stream.nextPictureDueUs());
}

TEST_F(StreamTest, ALargeClockStepLandsOnTheEnd) {
    stream.play(clipPath(Clip::Flv1VideoOnly));
    settle();
    advance(60000);
    EXPECT_EQ(count(status::PlayStop), 1);
    EXPECT_NEAR(stream.time(), 4.0, 0.05);
}

TEST_F(StreamTest, PlayingTheSamePathAgainRestartsFromZero) {
    const QString path = clipPath(Clip::Flv1Mp3);
    stream.play(path);
    settle();
    advance(1000);
    EXPECT_DOUBLE_EQ(stream.time(), 1.0);
    stream.play(path);
    EXPECT_EQ(stream.time(), 0);
    settle();
    EXPECT_EQ(stream.time(), 0);
    EXPECT_EQ(count(status::PlayStart), 2);
    EXPECT_EQ(count(QStringLiteral("onMetaData")), 2);
    advance(500);
    EXPECT_DOUBLE_EQ(stream.time(), 0.5);
}

TEST_F(StreamTest, CloseThenPlayAgain) {
    const QString path = clipPath(Clip::H264Aac);
    EXPECT_FALSE(stream.isPlaying());
    stream.play(path);
    settle();
    EXPECT_TRUE(stream.isPlaying());
    stream.pause(true);
    EXPECT_FALSE(stream.isPlaying());
    stream.pause(false);
    advance(700);
    EXPECT_TRUE(stream.isPlaying());
    stream.close();
    EXPECT_FALSE(stream.isPlaying());
    settle();
    EXPECT_EQ(stream.time(), 0);
    reports.clear();
    advance(5000);
    EXPECT_TRUE(reports.empty()); // a closed stream says nothing, reaches no end
    EXPECT_EQ(stream.time(), 0);
    stream.seek(1.0); // nothing open: ignored
    settle();
    EXPECT_TRUE(reports.empty());
    stream.play(path);
    settle();
    EXPECT_EQ(count(status::PlayStart), 1);
    advance(250);
    EXPECT_DOUBLE_EQ(stream.time(), 0.25);
    EXPECT_FALSE(stream.currentFrame().isNull());
}

TEST_F(StreamTest, SeekShowsTheTargetAndClampsBadTargets) {
    const QString path = clipPath(Clip::Flv1VideoOnly); // key frames each second
    const auto reference = referencePictures(path);
    stream.play(path);
    settle();

    stream.seek(2.5); // between key frames: decoded forward from the one before
    settle();
    EXPECT_DOUBLE_EQ(stream.time(), 2.5);
    EXPECT_EQ(stream.currentFrame(), pictureAt(reference, 2.5));
    EXPECT_EQ(count(status::SeekNotify), 1);
    advance(200);
    EXPECT_DOUBLE_EQ(stream.time(), 2.7);
    EXPECT_EQ(stream.currentFrame(), pictureAt(reference, 2.7));

    stream.seek(0.7); // backwards
    settle();
    EXPECT_DOUBLE_EQ(stream.time(), 0.7);
    EXPECT_EQ(stream.currentFrame(), pictureAt(reference, 0.7));

    stream.seek(-3); // below 0 means 0
    settle();
    EXPECT_EQ(stream.time(), 0);
    EXPECT_EQ(stream.currentFrame(), reference.front().second);

    advance(300);
    stream.seek(std::nan("")); // ignored, says nothing
    settle();
    EXPECT_DOUBLE_EQ(stream.time(), 0.3);
    EXPECT_EQ(count(status::SeekNotify), 3);

    stream.seek(1e9); // beyond the end means the end
    settle();
    EXPECT_NEAR(stream.time(), 4.0, 0.05);
    EXPECT_EQ(stream.currentFrame(), reference.back().second);
    EXPECT_EQ(count(status::PlayStop), 1);

    stream.seek(1.0); // and from the end back into the file
    settle();
    EXPECT_DOUBLE_EQ(stream.time(), 1.0);
    advance(100);
    EXPECT_DOUBLE_EQ(stream.time(), 1.1);
    EXPECT_EQ(count(status::PlayStop), 1);
}

TEST_F(StreamTest, ASeekPastWhereAFileCutShortEndsShowsItsLastPicture) {
    // H.264, whose key frame cut short gives no picture at all.
    const QString path =
        ffmpegClip("h264-keys-each-second.flv",
                   {"-f", "lavfi", "-i", "testsrc=size=160x120:rate=25:d=4", "-c:v", "libx264",
                    "-bf", "0", "-g", "25", "-pix_fmt", "yuv420p"});
    const auto reference = referencePictures(path);
    const QByteArray whole = readFile(path);
    qsizetype key = 0; // the tag of the key frame at 3 s
    for (const qsizetype tag : tagOffsets(whole))
        if (whole[tag] == 9 && tagTime(whole, tag) == 3000 && (whole[tag + 11] >> 4) == 1)
            key = tag;
    ASSERT_GT(key, 0);
    const qsizetype keySize =
        ((whole[key + 1] & 0xff) << 16) | ((whole[key + 2] & 0xff) << 8) | (whole[key + 3] & 0xff);
    const struct {
        const char* where;
        qsizetype cut;
        double lastPicture;
    } cases[] = {
        {"within the last key frame", key + 11 + keySize / 2, 2.96},
        {"within that key frame's tag header", key + 5, 2.96},
        {"right after it", key + 11 + keySize + 4, 3.0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.where);
        const QString cut = scratchPath(QStringLiteral("cut%1.flv").arg(c.cut));
        ASSERT_TRUE(writeFile(cut, whole.left(c.cut)));
        reports.clear();
        stream.play(cut);
        settle();
        stream.seek(3.5); // within the duration its metadata gives, beyond its data
        settle();
        EXPECT_NEAR(stream.time(), c.lastPicture + 0.04, 1e-6);
        EXPECT_EQ(stream.currentFrame(), pictureAt(reference, c.lastPicture));
        EXPECT_EQ(count(status::PlayStop), 1);
        stream.seek(1.0); // and back into the file
        settle();
        EXPECT_EQ(stream.currentFrame(), pictureAt(reference, 1.0));
    }
}

TEST_F(StreamTest, PauseTogglesAndHoldsThePosition) {
    const QString path = clipPath(Clip::Flv1VideoOnly);
    const auto reference = referencePictures(path);
    stream.play(path);
    settle();
    advance(400);
    stream.pause();
    EXPECT_TRUE(stream.isPaused());
    advance(1000);
    EXPECT_DOUBLE_EQ(stream.time(), 0.4);
    stream.pause(true); // already paused: no change, no report
    stream.pause();
    EXPECT_FALSE(stream.isPaused());
    advance(100);
    EXPECT_DOUBLE_EQ(stream.time(), 0.5);
    EXPECT_EQ(count(status::PauseNotify), 1);
    EXPECT_EQ(count(status::UnpauseNotify), 1);

    // Seeking while paused shows the target and stays paused, as a dragged knob needs.
    stream.pause(true);
    for (double t : {1.2, 1.5, 3.1}) {
        stream.seek(t);
        settle();
        EXPECT_DOUBLE_EQ(stream.time(), t);
        EXPECT_EQ(stream.currentFrame(), pictureAt(reference, t));
        advance(500);
        EXPECT_DOUBLE_EQ(stream.time(), t);
    }
    stream.pause(false);
    advance(200);
    EXPECT_DOUBLE_EQ(stream.time(), 3.3);
}

TEST_F(StreamTest, MetadataValuesAreExactAndMissingFieldsAbsent) {
    QByteArray file = readFile(clipPath(Clip::Flv1Mp3));
    ASSERT_TRUE(patchNumber(file, "duration", 59.5));
    ASSERT_TRUE(renameKey(file, "width", "wXdth"));
    ASSERT_TRUE(renameKey(file, "height", "hXight"));
    const QString path = scratchPath("patched.flv");
    ASSERT_TRUE(writeFile(path, file));
    stream.play(path);
    settle();
    ASSERT_NE(metadata(), nullptr);
    EXPECT_EQ(metadata()->find("duration")->toNumber(), 59.5);
    EXPECT_EQ(metadata()->find("width"), nullptr);
    EXPECT_EQ(metadata()->find("height"), nullptr);
    EXPECT_NE(metadata()->find("framerate"), nullptr);
}

// A file that says nothing of itself (MP4, or Flash Video without onMetaData), or says a
// duration of 0 or none (written as it was streamed), is reported with what its headers
// and timestamps give, so that its picture is laid out and its knob moves.
TEST_F(StreamTest, MetadataTheFileLacksComesFromItsHeaders) {
    const auto patched = [](const char* name, auto patch) {
        QByteArray file = readFile(clipPath(Clip::Flv1Mp3));
        EXPECT_TRUE(patch(file)) << name;
        const QString path = scratchPath(name);
        EXPECT_TRUE(writeFile(path, file));
        return path;
    };
    const struct {
        QString path;
        double width; // 0: no size reported
    } cases[] = {
        {clipPath(Clip::Flv1NoMetadata), 160},
        {clipPath(Clip::Mp4H264Aac), 160},
        {patched("zero.flv", [](QByteArray& f) { return patchNumber(f, "duration", 0); }), 160},
        {patched("nan.flv", [](QByteArray& f) { return patchNumber(f, "duration", NAN); }), 160},
        {patched("none.flv",
                 [](QByteArray& f) {
                     return renameKey(f, "duration", "durXtion") && renameKey(f, "width", "wXdth");
                 }),
         0},
    };
    for (const auto& c : cases) {
        reports.clear();
        stream.play(c.path);
        settle();
        ASSERT_NE(metadata(), nullptr) << c.path.toStdString();
        const AmfValue* duration = metadata()->find("duration");
        ASSERT_NE(duration, nullptr) << c.path.toStdString();
        EXPECT_NEAR(duration->toNumber(), 2.0, 0.1) << c.path.toStdString();
        const AmfValue* width = metadata()->find("width");
        EXPECT_EQ(width ? width->toNumber() : 0, c.width) << c.path.toStdString();
    }
}

// The metadata goes out again when the picture shown changes size, with the size of the
// picture then shown, whichever way the position got there.
TEST_F(StreamTest, APictureChangingSizeIsReportedWhenItShows) {
    const QString path = sizeChangingClip();
    ASSERT_FALSE(path.isEmpty());
    stream.play(path);
    settle();
    const auto sizesReported = [&] {
        std::vector<double> widths;
        for (const auto& r : reports)
            if (r.kind == Report::Kind::MetaData) {
                widths.push_back(r.metadata.find("width")->toNumber());
                EXPECT_NEAR(r.metadata.find("duration")->toNumber(), 4.0, 0.1);
                EXPECT_EQ(r.metadata.find("height")->toNumber(), 120);
            }
        return widths;
    };
    for (int step = 0; step < 35; ++step) {
        advance(100);
        EXPECT_EQ(sizesReported().back(), stream.currentFrameSize().width())
            << "at " << stream.time();
    }
    EXPECT_EQ(sizesReported(), (std::vector<double>{160, 320}));
    stream.seek(1.0);
    settle();
    EXPECT_EQ(sizesReported(), (std::vector<double>{160, 320, 160}));
    stream.seek(3.0);
    settle();
    EXPECT_EQ(sizesReported(), (std::vector<double>{160, 320, 160, 320}));
}

TEST_F(StreamTest, SoundOnlyFilePlaysToItsEnd) {
    stream.play(clipPath(Clip::Mp3Only));
    settle();
    EXPECT_EQ(count(status::PlayStart), 1);
    const double end = playToEnd();
    EXPECT_NEAR(end, 2.0, 0.1);
    EXPECT_TRUE(stream.currentFrame().isNull());
}

TEST_F(StreamTest, UnplayablePathsReportStreamNotFound) {
    const QString text = scratchPath("words.txt");
    ASSERT_TRUE(writeFile(text, "This is a text file, not a video.\n"));
    const QString empty = scratchPath("zero.flv");
    ASSERT_TRUE(writeFile(empty, QByteArray()));
    const QString folder = scratchPath("a-folder.flv");
    ASSERT_TRUE(QDir().mkpath(folder));
    for (const QString& path : {scratchPath("missing.flv"), folder, text, empty, QString()}) {
        reports.clear();
        stream.play(path);
        settle();
        ASSERT_EQ(codes(), std::vector<QString>{status::StreamNotFound}) << path.toStdString();
        EXPECT_EQ(reports[0].level, "error");
        advance(1000);
        EXPECT_EQ(stream.time(), 0);
        EXPECT_EQ(reports.size(), 1u);
    }
}

TEST_F(StreamTest, DamagedFilesNeverCrashOrHang) {
    const QByteArray good = readFile(clipPath(Clip::Flv1Mp3));
    std::mt19937 rng(99);
    std::vector<QByteArray> damaged;
    for (qsizetype cut : {13, 40, 200, 1000, 20000, 50000})
        damaged.push_back(good.left(cut));
    for (int i = 0; i < 8; ++i) {
        QByteArray flipped = good;
        for (int n = 0; n < 40; ++n) {
            const auto at = static_cast<qsizetype>(rng() % static_cast<unsigned>(good.size()));
            flipped[at] = static_cast<char>(flipped[at] ^ (1 << (rng() % 8)));
        }
        damaged.push_back(flipped);
    }
    // Hostile tag sizes right after the header.
    QByteArray hostile = good;
    hostile[14] = hostile[15] = hostile[16] = char(0xff);
    damaged.push_back(hostile);
    int played = 0;
    for (std::size_t i = 0; i < damaged.size(); ++i) {
        const QString path = scratchPath(QStringLiteral("damaged%1.flv").arg(i));
        ASSERT_TRUE(writeFile(path, damaged[i]));
        reports.clear();
        stream.play(path);
        settle();
        if (count(status::StreamNotFound) == 1) continue;
        ++played;
        EXPECT_EQ(count(status::PlayStart), 1);
        for (int step = 0; step < 100 && count(status::PlayStop) == 0; ++step)
            advance(250);
        EXPECT_EQ(count(status::PlayStop), 1) << "file " << i;
        EXPECT_LE(stream.time(), 2.2);
    }
    EXPECT_GT(played, 0); // most damage still leaves something to play
}

TEST_F(StreamTest, PathsWithSpacesAndChineseCharacters) {
    QString folder = scratchPath(QStringLiteral("视频 文件夹 with spaces"));
    // A deep folder too, so the whole path is far longer than 260 characters.
    for (int i = 0; i < 6; ++i)
        folder += QStringLiteral("/第%1层 level %1 ").arg(i) + QString(40, 'x');
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString path = folder + QStringLiteral("/我的 影片 #1 ünïcødé.flv");
    ASSERT_GT(path.size(), 300);
    ASSERT_TRUE(QFile::copy(clipPath(Clip::Flv1Mp3), path));
    stream.play(path);
    settle();
    EXPECT_EQ(count(status::PlayStart), 1);
    EXPECT_NE(metadata(), nullptr);
    advance(500);
    EXPECT_FALSE(stream.currentFrame().isNull());
}

TEST_F(StreamTest, Vp6aSamplePlaysWithAlpha) {
    const QString path = vp6aSamplePath();
    if (path.isEmpty()) GTEST_SKIP() << "sample not present";
    stream.play(path);
    settle();
    ASSERT_NE(metadata(), nullptr);
    EXPECT_EQ(metadata()->find("duration")->toNumber(), 3.56);
    const QImage first = stream.currentFrame();
    EXPECT_EQ(first.format(), QImage::Format_ARGB32);
    EXPECT_EQ(first.size(), QSize(1920, 1080));
    stream.seek(2.0);
    settle();
    EXPECT_DOUBLE_EQ(stream.time(), 2.0);
    const double end = playToEnd(500);
    EXPECT_NEAR(end, 3.56, 0.05);
}

TEST(StreamSound, PlaysWithOrWithoutADevice) {
    ManualClock clock;
    Stream stream(Stream::Options{&clock, true});
    stream.setVolume(250);
    EXPECT_EQ(stream.volume(), 100);
    stream.setVolume(-1);
    EXPECT_EQ(stream.volume(), 0);
    stream.setVolume(std::nan(""));
    EXPECT_EQ(stream.volume(), 0);
    stream.setVolume(40);
    stream.play(clipPath(Clip::Flv1Mp3));
    ASSERT_TRUE(stream.waitForDecoder());
    const auto reports = stream.pollReports();
    ASSERT_FALSE(reports.empty());
    EXPECT_EQ(reports[0].code, status::PlayStart);
    if (!stream.hasSoundOutput()) {
        // Silent: the clock alone drives playback.
        clock.advanceMs(500);
        ASSERT_TRUE(stream.waitForDecoder());
        EXPECT_DOUBLE_EQ(stream.time(), 0.5);
    }
}

} // namespace
} // namespace zimo::media
