// No one file holds the engine: opens and reads give up at once when told, a run of zeros
// to the end of a file or a far-off timestamp ends the data, and metadata with a huge
// number of names plays.
#include "media/stream.h"

#include "media/amf0.h"
#include "media/clock.h"
#include "media/media_file.h"

#include "amf_writer.h"
#include "clips.h"
#include "flv_patch.h"

#include <QFile>

#include <sys/resource.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>

namespace zimo::media {
namespace {

using namespace test;
using namespace std::chrono_literals;

class StreamBounds : public ::testing::Test {
protected:
    ManualClock clock;
    Stream stream{Stream::Options{&clock, false}};
    std::vector<Report> reports;

    bool settle(std::chrono::milliseconds limit = 20s) {
        const bool idle = stream.waitForDecoder(limit);
        for (Report& r : stream.pollReports())
            reports.push_back(std::move(r));
        return idle;
    }
    int count(const QString& code) const {
        return static_cast<int>(std::count_if(reports.begin(), reports.end(),
                                              [&](const Report& r) { return r.code == code; }));
    }
    // Steps the clock until the end is reported; the time then.
    double playToEnd() {
        for (int i = 0; i < 100 && count(status::PlayStop) == 0; ++i) {
            clock.advanceMs(100);
            EXPECT_TRUE(settle());
        }
        EXPECT_EQ(count(status::PlayStop), 1);
        return stream.time();
    }
};

// A download that never finished: a 2 s clip, then zeros up to 4 GB (a sparse file).
TEST_F(StreamBounds, AClipFollowedByGigabytesOfZerosEndsAndGivesWayAtOnce) {
    const QString path = scratchPath("unfinished.flv");
    ASSERT_TRUE(QFile::copy(numberedClip(Codecs::Flv1Mp3, Layout::Flv), path));
    ASSERT_TRUE(QFile::resize(path, 4LL << 30));
    stream.play(path);
    ASSERT_TRUE(settle());
    EXPECT_NEAR(playToEnd(), 2.0, 0.1);

    // Again, and another file comes while the first is read into its zeros: it plays at
    // once. (The bound is a check against hanging, not a speed goal.)
    stream.play(path);
    ASSERT_TRUE(settle());
    clock.advanceMs(1900);
    stream.time();
    const QString next = numberedClip(Codecs::H264Aac, Layout::Flv);
    stream.play(next);
    reports.clear();
    EXPECT_TRUE(settle(1s));
    EXPECT_EQ(count(status::PlayStart), 1);
    EXPECT_FALSE(stream.currentFrame().isNull());
}

// A 1 KB piece of an H.264 file whose last tag claims 503,316 s.
TEST_F(StreamBounds, AFarOffTimestampEndsWithTheData) {
    QByteArray file = readFile(numberedClip(Codecs::H264Aac, Layout::FlvBare));
    const std::vector<qsizetype> tags = tagOffsets(file);
    ASSERT_GE(tags.size(), 6u);
    file.truncate(tags[5]);
    setTagTime(file, tags[4], 0x1e000000);
    const QString path = scratchPath("far-off.flv");
    ASSERT_TRUE(writeFile(path, file));
    stream.play(path);
    ASSERT_TRUE(settle());
    ASSERT_EQ(count(status::PlayStart), 1);
    EXPECT_FALSE(stream.currentFrame().isNull());
    EXPECT_LT(playToEnd(), 1.0);
}

// Script tags that would cost FFmpeg far more than their bytes: a hundred thousand names
// (its metadata store takes the square of them) and a keyframe index claiming 2^28 times
// in a few bytes (it allocates by the count), at the head of the file and past the tags
// our own reader looks at. Each plays, our reader keeping what it can, and none takes
// gigabytes.
TEST_F(StreamBounds, ScriptTagsCostingMoreThanTheirBytesPlay) {
    AmfWriter names;
    names.string("onMetaData").beginEcmaArray(100000);
    for (int i = 0; i < 100000; ++i)
        names.name("key" + std::to_string(i)).number(i);
    names.end();
    AmfWriter index;
    index.string("onMetaData").beginEcmaArray(2).name("duration").number(2);
    index.name("keyframes").beginObject().name("times").strictArray(0x0fffffff).number(0);
    const struct {
        const char* name;
        QByteArray tag;
        int after; // tags of the clip before it
        std::size_t members;
    } cases[] = {
        // The names read, and the duration found, which none of them gave.
        {"a hundred thousand names", flvTag(18, names.bytes), 0, amf0::kMaxNames + 1},
        {"an index claiming 2^28 times", flvTag(18, index.bytes), 0, 1},
        {"the same index past the first tags", flvTag(18, index.bytes), 70, 0},
    };
    const QByteArray clip = readFile(numberedClip(Codecs::Flv1Mp3, Layout::Flv));
    const std::vector<qsizetype> tags = tagOffsets(clip);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_LT(c.after, static_cast<int>(tags.size()));
        const qsizetype at = c.after == 0 ? 13 : tags[static_cast<std::size_t>(c.after)];
        const QString path = scratchPath("costly-script.flv");
        ASSERT_TRUE(writeFile(path, clip.left(at) + c.tag + clip.mid(at)));
        reports.clear();
        stream.play(path);
        ASSERT_TRUE(settle(5s)); // against hanging, as above
        ASSERT_EQ(count(status::PlayStart), 1);
        const auto meta = std::find_if(reports.begin(), reports.end(), [](const Report& r) {
            return r.kind == Report::Kind::MetaData;
        });
        if (c.members > 0) {
            ASSERT_NE(meta, reports.end());
            EXPECT_EQ(meta->metadata.members().size(), c.members);
        }
        EXPECT_FALSE(stream.currentFrame().isNull());
        EXPECT_NEAR(playToEnd(), 2.0, 0.1);
        rusage usage{};
        getrusage(RUSAGE_SELF, &usage);
        EXPECT_LT(usage.ru_maxrss, 1L << 20) << "kB at the most, so far";
    }
}

// A clip followed by a gigabyte of zeros, counting its reads.
class CountingSource final : public MediaSource {
public:
    explicit CountingSource(QByteArray clip) : clip_(std::move(clip)) {}
    std::int64_t size() const override { return clip_.size() + (1LL << 30); }
    std::int64_t readAt(std::int64_t offset, std::uint8_t* out, std::int64_t n) override {
        ++reads;
        n = std::clamp<std::int64_t>(size() - offset, 0, n);
        const std::int64_t fromClip = std::clamp<std::int64_t>(clip_.size() - offset, 0, n);
        std::memcpy(out, clip_.constData() + std::min<std::int64_t>(offset, clip_.size()),
                    static_cast<std::size_t>(fromClip));
        std::memset(out + fromClip, 0, static_cast<std::size_t>(n - fromClip));
        return n;
    }
    int reads = 0;

private:
    QByteArray clip_;
};

TEST(MediaFileInterrupt, OpenAndReadGiveUpWhenTold) {
    const QByteArray clip = readFile(numberedClip(Codecs::Flv1Mp3, Layout::Flv));
    // Told to stop during the open: it fails, reading nothing more.
    auto source = std::make_unique<CountingSource>(clip);
    CountingSource* counted = source.get();
    MediaFile::Options options;
    options.interrupted = [&] { return counted->reads >= 3; };
    EXPECT_EQ(MediaFile::open(std::move(source), options), nullptr);

    // Told to stop while reading into the zeros: the file ends there.
    source = std::make_unique<CountingSource>(clip);
    counted = source.get();
    bool stop = false;
    options.interrupted = [&] { return stop; };
    auto file = MediaFile::open(std::move(source), options);
    ASSERT_NE(file, nullptr);
    file->next();
    stop = true;
    const int reads = counted->reads;
    while (file->next().kind != MediaFile::Item::Kind::End) {
    }
    EXPECT_EQ(counted->reads, reads);
}

} // namespace
} // namespace zimo::media
