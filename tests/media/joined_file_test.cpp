// Flash Video files whose timestamps break: parts joined by putting their tags one after
// another, or whole files one after another (the input hides the later headers), each
// part's timestamps starting again from zero, play every part in turn, and a seek lands in
// the right part whether or not the later parts have been read yet.
#include "media/flv_timeline.h"
#include "media/media_file.h"
#include "media/picture_converter.h"

#include "clips.h"
#include "flv_from_mp4.h"

#include <gtest/gtest.h>

#include <cmath>
#include <utility>

namespace zimo::media {
namespace {

using namespace test;

TEST(FlvTimeline, PlacesEachStreamAfterItsOwnBreaks) {
    constexpr auto P = FlvTimeline::Picture;
    constexpr auto S = FlvTimeline::Sound;
    struct Step {
        FlvTimeline::Slot slot;
        double fileTime, duration, placed;
    };
    const struct {
        const char* name;
        std::vector<Step> steps;
        bool breaks;
        bool soundAnnounced = true; // by the file's header
    } cases[] = {
        {"a join: both streams start again",
         {{P, 3.9, 0.1, 3.9},
          {S, 3.95, 0.05, 3.95},
          {P, 0.0, 0.1, 4.0},
          {S, 0.02, 0.05, 4.0},
          {P, 0.1, 0.1, 4.1},
          {S, 0.07, 0.05, 4.05}},
         true},
        {"sound laid down well ahead of the pictures is no break",
         {{S, 5.0, 0.05, 5.0}, {P, 2.5, 0.1, 2.5}, {S, 5.05, 0.05, 5.05}, {P, 2.6, 0.1, 2.6}},
         false},
        {"sound of unknown durations goes on a step after its last",
         {{S, 1.0, 0, 1.0}, {S, 1.1, 0, 1.1}, {S, 0.0, 0, 1.2}, {S, 0.1, 0, 1.3}},
         true},
        {"one packet stamped back by a fault is passed over",
         {{P, 10.0, 0.1, 10.0},
          {P, 10.1, 0.1, 10.1},
          {P, 0.5, 0.1, 10.2},
          {P, 10.2, 0.1, 10.2},
          {P, 10.3, 0.1, 10.3}},
         true},
        {"a step back under a second plays where it says",
         {{S, 2.0, 0.05, 2.0}, {S, 1.4, 0.05, 1.4}, {S, 1.45, 0.05, 1.45}},
         false},
        {"a stretch with nothing in the file is closed for both streams",
         {{P, 1.0, 0.1, 1.0}, {S, 1.0, 0.05, 1.0}, {P, 31.0, 0.1, 1.0}, {S, 31.05, 0.05, 1.05}},
         true},
        {"a pause shorter than that is kept", {{P, 1.0, 0.1, 1.0}, {P, 9.0, 0.1, 9.0}}, false},
        {"sound that only a later part brings goes with that part",
         {{P, 2.9, 0.1, 2.9}, {P, 0.0, 0.1, 3.0}, {S, 0.0, 0.05, 3.0}, {S, 0.05, 0.05, 3.05}},
         true,
         false},
        {"also when it comes before that part's first picture",
         {{P, 0.0, 0.1, 0.0},
          {P, 2.9, 0.1, 2.9},
          {S, 0.0, 0.05, 3.0},
          {P, 0.0, 0.1, 3.0},
          {S, 0.05, 0.05, 3.05}},
         true,
         false},
        {"pictures the header announced, laid down well behind the sound, are no part nor gap",
         {{S, 0.0, 4, 0.0}, {S, 4, 4, 4}, {S, 8, 4, 8}, {P, 0.04, 0.1, 0.04}, {S, 12, 4, 12}},
         false},
    };
    for (const auto& c : cases) {
        FlvTimeline timeline;
        timeline.setAnnounced(true, c.soundAnnounced);
        for (const Step& s : c.steps)
            EXPECT_NEAR(timeline.place(s.slot, s.fileTime, s.duration), s.placed, 1e-9)
                << c.name << ", at " << s.fileTime;
        EXPECT_EQ(timeline.sawBreak(), c.breaks) << c.name;
    }
}

struct Picture {
    double pts;
    bool red;
};

// Pictures from a seek to `target` (or from the start, without one) up to `until`.
std::vector<Picture> read(MediaFile& file, double until, std::vector<double>* soundTimes) {
    PictureConverter converter;
    std::vector<Picture> out;
    for (MediaFile::Item item = file.next(); item.kind != MediaFile::Item::Kind::End;
         item = file.next()) {
        if (item.pts > until) break;
        if (item.kind == MediaFile::Item::Kind::Audio) {
            if (soundTimes) soundTimes->push_back(item.pts);
            continue;
        }
        const QImage image = converter.convert(item.frame.get());
        const QColor middle = image.pixelColor(image.width() / 2, image.height() / 2);
        out.push_back({item.pts, middle.red() > 150 && middle.blue() < 100});
    }
    return out;
}

// The picture due at `t`: the last that starts at or before it.
const Picture* dueAt(const std::vector<Picture>& pictures, double t) {
    const Picture* due = nullptr;
    for (const Picture& p : pictures)
        if (p.pts <= t + 1e-6) due = &p;
    return due;
}

TEST(JoinedFile, PlaysEveryPartAndSeeksIntoEachOne) {
    const struct {
        const char* name;
        double part; // seconds
        QStringList codecs;
        const char* secondSize; // the first part's is 64 x 48
        bool firstSounds = true;
        bool hevc = false; // written by our own writer, as streaming sites record it
    } cases[] = {          // Parts shorter than any pause a file may hold.
                 {"short H.264/AAC parts", 3, {"-c:v", "libx264", "-c:a", "aac"}, "64x48"},
                 {"long Sorenson/MP3 parts",
                  12,
                  {"-c:v", "flv", "-c:a", "libmp3lame", "-ar", "22050"},
                  "64x48"},
                 // Each part brings the decoder a set-up of its own, which a seek into it needs.
                 {"H.264/AAC parts of other sizes and sound",
                  3,
                  {"-c:v", "libx264", "-c:a", "aac"},
                  "128x96"},
                 {"HEVC/AAC parts of other sizes",
                  3,
                  {"-c:v", "libx265", "-c:a", "aac"},
                  "128x96",
                  true,
                  true},
                 // Met after the demuxer's first look, and placed with the second part.
                 {"sound only in the second part",
                  6,
                  {"-c:v", "flv", "-c:a", "libmp3lame", "-ar", "22050"},
                  "64x48",
                  false}};
    for (const auto& c : cases) {
        for (const bool whole : {false, true}) {
            SCOPED_TRACE(std::string(c.name) + (whole ? ", whole files" : ", tags only"));
            QByteArray joined;
            for (const char* colour : {"red", "blue"}) {
                const bool second = !joined.isEmpty();
                const QString size = QString::fromLatin1(second ? c.secondSize : "64x48");
                const bool sounds = second || c.firstSounds;
                QStringList inputs{"-f", "lavfi", "-i",
                                   QStringLiteral("color=%1:s=%2:r=10:d=%3")
                                       .arg(QLatin1String(colour), size)
                                       .arg(c.part)};
                if (sounds)
                    inputs << "-f"
                           << "lavfi"
                           << "-i" << QStringLiteral("sine=d=%1").arg(c.part) << "-ac"
                           << (second ? "2" : "1");
                const QString name = QStringLiteral("part-%1-%2-%3%4.%5")
                                         .arg(colour)
                                         .arg(c.part)
                                         .arg(size)
                                         .arg(sounds ? "" : "-silent")
                                         .arg(c.hevc ? "mp4" : "flv");
                QString part = ffmpegClip(
                    name, inputs + QStringList{"-g", "10", "-pix_fmt", "yuv420p"} + c.codecs);
                ASSERT_FALSE(part.isEmpty());
                if (c.hevc) {
                    const QString mp4 = std::exchange(part, scratchPath(name + ".flv"));
                    ASSERT_TRUE(writeAddedCodecFlv(mp4, part, Layout::Flv));
                }
                const QByteArray bytes = readFile(part);
                // Its header and first tag size, then its tags.
                joined += joined.isEmpty() || whole ? bytes : bytes.mid(13);
            }
            const QString path = scratchPath(QStringLiteral("joined-%1-%2-%3-%4.flv")
                                                 .arg(c.part)
                                                 .arg(whole)
                                                 .arg(QLatin1String(c.secondSize))
                                                 .arg(c.firstSounds));
            ASSERT_TRUE(writeFile(path, joined));

            // Through from the start: both parts, in time, the second after the first.
            std::vector<double> sound;
            auto file = MediaFile::open(path);
            ASSERT_TRUE(file);
            // Each part's metadata gives its own duration; the file's is that of both.
            EXPECT_NEAR(file->info().duration, 2 * c.part, 0.15);
            ASSERT_TRUE(file->flvMetadata());
            const AmfValue* said = file->flvMetadata()->find(QStringLiteral("duration"));
            ASSERT_TRUE(said);
            EXPECT_EQ(said->toNumber(), file->info().duration);
            const std::vector<Picture> all = read(*file, 1e9, &sound);
            ASSERT_EQ(all.size(), static_cast<std::size_t>(20 * c.part));
            for (std::size_t i = 0; i < all.size(); ++i) {
                EXPECT_NEAR(all[i].pts, 0.1 * static_cast<double>(i), 0.02) << "picture " << i;
                EXPECT_EQ(all[i].red, all[i].pts < c.part) << "picture " << i;
            }
            ASSERT_FALSE(sound.empty());
            EXPECT_NEAR(sound.front(), c.firstSounds ? 0 : c.part, 0.05);
            EXPECT_GT(sound.back(), 2 * c.part - 0.2);
            for (std::size_t i = 1; i < sound.size(); ++i)
                EXPECT_GT(sound[i], sound[i - 1]) << "sound " << i;

            // Seeks, into the second part first, on a file just opened and on one read through.
            const double targets[] = {c.part * 1.5 + 0.05, c.part / 2 + 0.05, c.part + 0.15, 0.45};
            for (const bool readFirst : {false, true}) {
                file = MediaFile::open(path);
                ASSERT_TRUE(file);
                if (readFirst) read(*file, 1e9, nullptr);
                for (const double target : targets) {
                    ASSERT_TRUE(file->seek(target));
                    const std::vector<Picture> got = read(*file, target + 0.5, nullptr);
                    const Picture* due = dueAt(got, target);
                    ASSERT_TRUE(due) << "seek to " << target << (readFirst ? ", read first" : "");
                    EXPECT_NEAR(due->pts, std::floor(target * 10 + 1e-6) / 10, 0.02)
                        << "seek to " << target << (readFirst ? ", read first" : "");
                    EXPECT_EQ(due->red, target < c.part)
                        << "seek to " << target << (readFirst ? ", read first" : "");
                }
            }
        }
    }
}

} // namespace
} // namespace zimo::media
