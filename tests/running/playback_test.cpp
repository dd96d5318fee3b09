// The movie plays the file it is sent: opening, restarting, stopping, repeating, a
// missing file, and the picture's proportions from the file's metadata.
#include "clip_maker.h"
#include "clips.h"
#include "movie_fixture.h"

#include <QDir>
#include <QFile>

namespace {

class Playback : public MovieFixture {
protected:
    void SetUp() override {
        MovieFixture::SetUp();
        start();
    }
};

TEST_F(Playback, PlaysAFileAndTakesItsProportionsFromTheMetadata) {
    const QString clip = makeClip({640, 360, 2});
    ASSERT_FALSE(clip.isEmpty());
    set("Ff", clip);
    EXPECT_EQ(var("fName"), clip);
    ASSERT_TRUE(tickUntil([&] { return var("flv_width") == "640"; }));
    EXPECT_EQ(var("flv_height"), "360");
    EXPECT_NEAR(num("totaltime"), 2.0, 0.1);
    EXPECT_NEAR(num("vidscale"), 640.0 / 360, 1e-9);
    // The picture keeps its proportions on the 480 x 360 stage.
    EXPECT_NEAR(num("vidplayer._width"), 480, 0.01);
    EXPECT_NEAR(num("vidplayer._height"), 270, 0.01);
    EXPECT_NEAR(num("vidplayer._y"), 45, 0.01);
    EXPECT_EQ(var("vidplayer._visible"), "true");
    ASSERT_TRUE(tickUntil([&] { return num("ns.time") > 0.5; }));
    EXPECT_EQ(var("controlpanel.timer.seek_total_time"), "00:02");
}

TEST_F(Playback, SamePathTwiceRestartsFromTheBeginning) {
    const QString clip = makeClip({160, 120, 2});
    set("Ff", clip);
    ASSERT_TRUE(tickUntil([&] { return num("ns.time") > 1.0; }));
    set("Ff", clip);
    ticks(1);
    EXPECT_LT(num("ns.time"), 0.2);
}

TEST_F(Playback, EmptyFileStopsAndBlanksAndALaterFilePlays) {
    const QString clip = makeClip({160, 120, 2});
    set("Ff", clip);
    ASSERT_TRUE(tickUntil([&] { return num("ns.time") > 0.3; }));
    set("Ff", "");
    ticks(2);
    EXPECT_EQ(var("vidplayer._visible"), "false");
    EXPECT_EQ(num("ns.time"), 0);
    set("Ff", clip);
    EXPECT_EQ(var("vidplayer._visible"), "true");
    EXPECT_TRUE(tickUntil([&] { return num("ns.time") > 0.3; }));
}

TEST_F(Playback, RepeatLoopsUntilItIsSwitchedOff) {
    const QString clip = makeClip({160, 120, 1, false});
    set("Ff", clip);
    set("Rpt", "1");
    ASSERT_TRUE(tickUntil([&] { return num("ns.time") > 0.8; }));
    // Past the end it starts again.
    ASSERT_TRUE(tickUntil([&] { return num("ns.time") < 0.3; }, 90));
    set("Rpt", "0");
    ASSERT_TRUE(tickUntil([&] { return num("ns.time") > 0.8; }));
    ticks(60);
    EXPECT_GT(num("ns.time"), 0.8); // stays on the last picture
}

TEST_F(Playback, MissingFileBlanksAndKeepsThePreviousTotalTime) {
    const QString clip = makeClip({160, 120, 2});
    set("Ff", clip);
    ASSERT_TRUE(
        tickUntil([&] { return !var("totaltime").isEmpty() && var("totaltime") != "NaN"; }));
    const QString total = var("totaltime");
    set("Ff", scratchPath("no such file.flv"));
    ticks(10);
    EXPECT_EQ(var("totaltime"), total);
    EXPECT_EQ(var("fName"), scratchPath("no such file.flv"));
}

TEST_F(Playback, FileWithoutSizeFillsTheStage) {
    const QString clip = makeClip({320, 180, 2, true, false});
    set("Ff", clip);
    ASSERT_TRUE(tickUntil([&] { return var("totaltime") != "" && var("totaltime") != "NaN"; }));
    ticks(2);
    EXPECT_EQ(var("flv_width"), "0");
    EXPECT_NEAR(num("vidplayer._width"), 480, 0.01);
    EXPECT_NEAR(num("vidplayer._height"), 360, 0.01);
}

// Two files put one after another, as a downloader joins a site's segments: the first
// part's metadata is all the file has, yet the total time is both parts', and the knob
// stays on its bar while the second part plays.
TEST_F(Playback, AFileJoinedFromPartsShowsAndPlaysTheirWholeTime) {
    const QByteArray part = zimo::media::test::readFile(makeClip({160, 120, 2}));
    const QString joined = scratchPath("joined.flv");
    ASSERT_TRUE(zimo::media::test::writeFile(joined, part + part));
    set("Ff", joined);
    ASSERT_TRUE(tickUntil([&] { return num("totaltime") > 0; }));
    EXPECT_NEAR(num("totaltime"), 4.0, 0.1);
    ASSERT_TRUE(tickUntil([&] { return num("ns.time") > 3.0; }));
    EXPECT_EQ(var("controlpanel.timer.seek_total_time"), "00:04");
    EXPECT_LT(num("controlpanel.slider._x"),
              num("controlpanel.seektotime._x") + num("controlpanel.seektotime._width"));
}

} // namespace

namespace {

TEST_F(Playback, DurationIsReadExactlyAndShownInWholeSeconds) {
    set("Ff", makeClip({160, 120, 2, true, true, 59.5}));
    ASSERT_TRUE(tickUntil([&] { return var("totaltime") == "59.5"; }))
        << var("totaltime").toStdString();
    ticks(1);
    EXPECT_EQ(var("controlpanel.timer.seek_total_time"), "00:59");
}

TEST_F(Playback, PlaysTheRealVp6AlphaSample) {
    const QString sample = vp6aSample();
    if (sample.isEmpty()) GTEST_SKIP() << "no sample clips on this machine";
    set("Ff", sample);
    ASSERT_TRUE(tickUntil([&] { return var("flv_width") == "1920"; }));
    EXPECT_EQ(var("flv_height"), "1080");
    EXPECT_NEAR(num("totaltime"), 3.56, 0.05);
    ASSERT_TRUE(tickUntil([&] { return num("ns.time") > 0.5; }));
    // The picture reaches the surface.
    auto* surface = movie.stage().find(u"vidplayer.player");
    ASSERT_NE(surface, nullptr);
}

// Files that are not playable video: each gives a blank picture, and a good file after
// them plays.
TEST_F(Playback, BrokenFilesNeverStopThePlayer) {
    const QString good = makeClip({160, 120, 2});
    QFile source(good);
    ASSERT_TRUE(source.open(QIODevice::ReadOnly));
    const QByteArray bytes = source.readAll();
    auto write = [](const QString& name, const QByteArray& content) {
        const QString path = scratchPath(name);
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.write(content);
        return path;
    };
    QByteArray flipped = bytes;
    for (qsizetype i = 13; i < flipped.size(); i += 97)
        flipped[i] = char(flipped[i] ^ 0x5a);
    const QStringList broken = {
        write("empty.flv", {}),
        write("truncated.flv", bytes.left(bytes.size() / 3)),
        write("header-only.flv", bytes.left(13)),
        write("flipped.flv", flipped),
        write("text.flv", "this is not a video\n"),
        scratchPath(""), // the folder itself
        scratchPath("missing/none.flv"),
    };
    for (const QString& path : broken) {
        SCOPED_TRACE(path.toStdString());
        set("Ff", path);
        ticks(20);
        EXPECT_EQ(var("fName"), path);
    }
    set("Ff", good);
    EXPECT_TRUE(tickUntil([&] { return num("ns.time") > 0.3; }));
}

} // namespace
