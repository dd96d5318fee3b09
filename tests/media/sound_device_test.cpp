// The stream playing through a real sound server: a private PulseAudio with a null sink,
// on the system clock. The position is the sound heard: it waits for the sound to start,
// goes with it, holds while paused, and never runs back except when told to seek.
// Skips when pulseaudio is not installed.
#include "media/stream.h"

#include "clips.h"
#include "flv_patch.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <csignal>
#include <cstdint>
#include <functional>

namespace zimo::media {
namespace {

using namespace test;

// A sound server of the test's own, so nothing reaches the user's.
class PrivateSoundServer {
public:
    bool start() {
        const QString program = QStandardPaths::findExecutable(QStringLiteral("pulseaudio"));
        if (program.isEmpty() || !dir_.isValid()) return false;
        const QString runtime = dir_.filePath(QStringLiteral("runtime"));
        QDir().mkpath(runtime);
        QFile::setPermissions(runtime, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                           QFileDevice::ExeOwner);
        qputenv("XDG_RUNTIME_DIR", runtime.toUtf8());
        qputenv("PULSE_RUNTIME_PATH", (runtime + QStringLiteral("/pulse")).toUtf8());
        qunsetenv("PULSE_SERVER");
        server_.setProgram(program);
        server_.setArguments({QStringLiteral("--daemonize=no"),
                              QStringLiteral("--exit-idle-time=-1"), QStringLiteral("-n"),
                              QStringLiteral("-L"), QStringLiteral("module-null-sink"),
                              QStringLiteral("-L"), QStringLiteral("module-native-protocol-unix")});
        server_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        server_.start();
        if (!server_.waitForStarted(5000)) return false;
        const QString socket = runtime + QStringLiteral("/pulse/native");
        // Up once it answers with its sink: it loads its modules after opening the socket.
        for (int i = 0; i < 100; ++i) {
            if (QFileInfo::exists(socket) && hasSink(socket)) return keepSinkBusy(socket);
            QThread::msleep(50);
        }
        return false;
    }
    void stop() {
        keeper_.kill();
        keeper_.waitForFinished(1000);
        server_.terminate();
        if (!server_.waitForFinished(3000)) server_.kill();
        server_.waitForFinished(1000);
    }
    ~PrivateSoundServer() { stop(); }
    // Stops the server in its tracks, as a stall would, or lets it go on.
    void hold(bool held) {
        ::kill(static_cast<pid_t>(server_.processId()), held ? SIGSTOP : SIGCONT);
    }

private:
    // A null sink with nothing playing into it renders in blocks of up to two seconds, and
    // a stream that starts then may wait out the rest of one before it is taken: the
    // server would seem to stall at random starts. Silence played into it all along, in
    // small blocks, keeps it taking sound as a sound card does.
    bool keepSinkBusy(const QString& socket) {
        keeper_.setStandardInputFile(QStringLiteral("/dev/zero"));
        keeper_.start(QStringLiteral("pacat"),
                      {QStringLiteral("--server"), QStringLiteral("unix:") + socket,
                       QStringLiteral("--playback"), QStringLiteral("--raw"),
                       QStringLiteral("--format=s16le"), QStringLiteral("--rate=8000"),
                       QStringLiteral("--channels=1"), QStringLiteral("--latency-msec=20")});
        return keeper_.waitForStarted(5000);
    }

    static bool hasSink(const QString& socket) {
        QProcess pactl;
        pactl.start(QStringLiteral("pactl"),
                    {QStringLiteral("--server"), QStringLiteral("unix:") + socket,
                     QStringLiteral("list"), QStringLiteral("short"), QStringLiteral("sinks")});
        return pactl.waitForFinished(2000) && pactl.exitCode() == 0 &&
               !pactl.readAllStandardOutput().trimmed().isEmpty();
    }

    QTemporaryDir dir_;
    QProcess server_;
    QProcess keeper_;
};

PrivateSoundServer* server = nullptr;
bool serverUp = false;

// What the server's sink plays, recorded from its monitor as 8 kHz 16-bit mono.
class SinkRecording {
public:
    bool start() {
        // Into a file: a pipe nobody reads while the test plays would fill and hold parec up.
        parec_.setStandardOutputFile(path_);
        parec_.start(QStringLiteral("parec"),
                     {QStringLiteral("--device=null.monitor"), QStringLiteral("--raw"),
                      QStringLiteral("--format=s16le"), QStringLiteral("--rate=8000"),
                      QStringLiteral("--channels=1"), QStringLiteral("--latency-msec=20")});
        if (!parec_.waitForStarted(5000)) return false;
        QThread::msleep(300); // connected and recording
        return parec_.state() == QProcess::Running;
    }
    // Stops, and gives the seconds during which the recording was loud.
    double loudSeconds() {
        parec_.terminate();
        parec_.waitForFinished(3000);
        const QByteArray pcm = readFile(path_);
        constexpr int kWindow = 80; // 10 ms
        const auto* v = reinterpret_cast<const std::int16_t*>(pcm.constData());
        const qsizetype n = pcm.size() / 2;
        int loud = 0;
        for (qsizetype w = 0; w + kWindow <= n; w += kWindow) {
            double sum = 0;
            for (int i = 0; i < kWindow; ++i)
                sum += double(v[w + i]) * v[w + i];
            if (std::sqrt(sum / kWindow) > 1000) ++loud; // the tone is at 2900 rms
        }
        return loud * 0.01;
    }

private:
    QString path_ = scratchPath(QStringLiteral("sink.raw"));
    QProcess parec_;
};

class SoundDeviceTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!serverUp) GTEST_SKIP() << "no pulseaudio to play through";
    }

    // Plays on, as a player would every 10 ms, until `done` says so or `seconds` pass;
    // checks after each look that the position never went back.
    bool playUntil(Stream& stream, double seconds, const std::function<bool(double)>& done) {
        QElapsedTimer wall;
        wall.start();
        while (wall.elapsed() < seconds * 1000) {
            for (const Report& r : stream.pollReports())
                if (r.code == status::PlayStop) ended = true;
            stream.frameSerial();
            stream.currentFrame();
            const double t = stream.time();
            EXPECT_GE(t, last - 0.02) << "ran back from " << last;
            last = t;
            if (done(t)) return true;
            QThread::msleep(10);
        }
        return false;
    }
    double last = 0;
    bool ended = false;

    // Plays until `at`, then holds the sound server for `seconds` while playing on.
    bool stallAt(Stream& stream, double at, double seconds) {
        if (!playUntil(stream, 5, [at](double t) { return t >= at; })) return false;
        server->hold(true);
        playUntil(stream, seconds, [](double) { return false; });
        server->hold(false);
        return true;
    }

    // 4 s of pictures with a tone all through.
    static QString toneClip() {
        return ffmpegClip("tone-4s.flv",
                          {"-f", "lavfi", "-i", "testsrc=s=160x120:r=25:d=4", "-f", "lavfi", "-i",
                           "sine=d=4", "-c:v", "flv1", "-c:a", "libmp3lame", "-ar", "44100"});
    }
};

TEST_F(SoundDeviceTest, ThePositionGoesWithTheSoundHeardAndNeverRunsBack) {
    Stream stream;
    ASSERT_TRUE(stream.hasSoundOutput());
    stream.play(clipPath(Clip::Flv1Mp3)); // 2 s
    ASSERT_TRUE(playUntil(stream, 5, [](double t) { return t >= 0.6; }));

    stream.pause(true);
    const double held = stream.time();
    QThread::msleep(300);
    EXPECT_DOUBLE_EQ(stream.time(), held);
    stream.pause(false);
    ASSERT_TRUE(playUntil(stream, 5, [&](double t) { return t >= held + 0.2; }));

    // A seek back is the one move backwards; from there it goes on to the end.
    stream.seek(0.3);
    last = 0.3;
    ASSERT_TRUE(playUntil(stream, 10, [&](double) { return ended; }));
    EXPECT_NEAR(stream.time(), 2.0, 0.2);

    const Stream::Stats s = stream.stats();
    EXPECT_GT(s.soundSamples, 0u) << "pictures never met the sound heard";
    EXPECT_GT(s.soundSamples, s.offsetSamples / 2) << "the clock mostly ran without the sound";
}

// A seek drops the sound the device still holds from before it: what plays after the
// seek is the new position's (here quiet), not the tail of the old one; so too for a
// seek made while paused, which plays on from its new position when resumed.
TEST_F(SoundDeviceTest, SoundFromBeforeASeekStopsWithIt) {
    SinkRecording sink;
    ASSERT_TRUE(sink.start());
    Stream stream;
    ASSERT_TRUE(stream.hasSoundOutput());
    stream.play(clipPath(Clip::Flv1HalfTone)); // the tone until 1 s
    ASSERT_TRUE(playUntil(stream, 5, [](double t) { return t >= 0.6; }));
    double toneHeard = stream.time();
    stream.seek(1.3);
    last = 1.3;
    playUntil(stream, 0.5, [](double) { return false; });

    stream.pause(true);
    stream.seek(0.2);
    QThread::msleep(300);
    stream.pause(false);
    last = 0.2;
    ASSERT_TRUE(playUntil(stream, 5, [](double t) { return t >= 0.6; }));
    toneHeard += stream.time() - 0.2;
    stream.seek(1.3);
    last = 1.3;
    playUntil(stream, 0.5, [](double) { return false; });

    // The tone was heard up to each seek, within the position's own wobble about the
    // sound heard and the moment the seek takes, not the 0.1-0.2 s a device holds.
    EXPECT_NEAR(sink.loudSeconds(), toneHeard, 0.08);
}

// Sound that starts after the pictures and breaks off midway leaves the device silent for
// those stretches: the pictures play on through them at their pace, none dropped, and the
// sound after a break is heard with its pictures. So too for sound that starts only after
// what the demuxer looks at to learn the streams, and for sound that ends long before the
// pictures (more of them than may wait compressed): the pictures read past while looking
// for more sound are not all decoded into the queue at once.
TEST_F(SoundDeviceTest, PicturesPlayOnThroughStretchesWithoutSound) {
    // Sound that starts late in a file, after what the demuxer looks at to learn the
    // streams: the pictures alone, then the tone's tags with their pictures after them.
    const QString picturesAlone =
        ffmpegClip("pictures-6s.flv", {"-f", "lavfi", "-i", "testsrc=s=160x120:r=25:d=6", "-c:v",
                                       "flv1", "-flvflags", "no_metadata"});
    const QString withTone =
        ffmpegClip("tone-from-6s.flv", {"-f", "lavfi", "-i", "testsrc=s=160x120:r=25:d=2", "-f",
                                        "lavfi", "-i", "sine=d=2", "-c:v", "flv1", "-c:a",
                                        "libmp3lame", "-ar", "44100", "-output_ts_offset", "6"});
    const QString late = scratchPath("sound-from-6s.flv");
    ASSERT_TRUE(writeFile(late, readFile(picturesAlone) + readFile(withTone).mid(13)));
    // 2 s of tone with 6 s of noisy pictures: over 40 MB of them after the sound.
    const QString early = ffmpegClip(
        "sound-to-2s.flv", {"-f", "lavfi", "-i", "testsrc=s=640x360:r=25:d=6", "-f", "lavfi", "-i",
                            "sine=d=2", "-vf", "noise=alls=60:allf=t", "-c:v", "flv1", "-q:v", "2",
                            "-c:a", "libmp3lame", "-ar", "44100"});
    // The tone at 0.5-1.5 s and from 3 s of 4 s, or from 6 s of 8 s. Sound only known to
    // come once it does is not waited for: the clock is the sound heard from then on.
    const struct {
        QString path;
        double seconds;
        double heardShare; // of the looks at the clock, at least
    } cases[] = {{clipPath(Clip::Flv1SoundGaps), 4, 0.5}, {late, 8, 0.15}, {early, 6, 0.25}};
    for (const auto& [path, seconds, heardShare] : cases) {
        SCOPED_TRACE(path.toStdString());
        SinkRecording sink;
        ASSERT_TRUE(sink.start());
        Stream stream;
        ASSERT_TRUE(stream.hasSoundOutput());
        last = 0;
        ended = false;
        stream.play(path);
        ASSERT_TRUE(playUntil(stream, 5, [](double t) { return t >= 0.1; }));
        QElapsedTimer wall;
        wall.start();
        ASSERT_TRUE(playUntil(stream, seconds + 6, [&](double) { return ended; }));
        EXPECT_NEAR(wall.elapsed() / 1000.0, seconds - 0.1, 0.25) << "the clock leapt or dawdled";

        const Stream::Stats s = stream.stats();
        EXPECT_EQ(s.dropped, 0u);
        EXPECT_GT(s.soundSamples, heardShare * s.offsetSamples)
            << "the clock ran without the sound";
        EXPECT_LT(s.offsetMaxAbs, 0.04);
        EXPECT_LE(s.mostQueued, 5u);
        EXPECT_NEAR(sink.loudSeconds(), 2.0, 0.15);
    }
}

// Sound whose timestamps go back midway (a recorder that restarted its sound clock): the
// part overlapping the sound before it is left out, so the position never runs back and
// the pictures play on with the sound.
TEST_F(SoundDeviceTest, SoundThatGoesBackInTimeDoesNotTakeThePositionBack) {
    QByteArray file = readFile(clipPath(Clip::Flv1Mp3)); // 2 s
    for (const qsizetype tag : tagOffsets(file)) {
        const std::uint32_t ms = tagTime(file, tag);
        if (file[tag] == 8 && ms >= 1000) setTagTime(file, tag, ms - 400); // sound tags
    }
    const QString path = scratchPath(QStringLiteral("sound-goes-back.flv"));
    ASSERT_TRUE(writeFile(path, file));
    Stream stream;
    ASSERT_TRUE(stream.hasSoundOutput());
    stream.play(path);
    ASSERT_TRUE(playUntil(stream, 10, [&](double) { return ended; }));
    EXPECT_EQ(stream.stats().dropped, 0u);
    // The sound ends (here early, by the 400 ms left out) while the pictures wait for
    // room: those read past on the way are not all decoded into the queue at once.
    EXPECT_LE(stream.stats().mostQueued, 5u);
}

// A sound server that stalls for a while (a loaded machine, a headset dropping out) and
// then goes on: the clock goes on without it, and once the server plays again, what it
// held from before is not heard as time; the sound skips to the clock. The position never
// runs back, and the pictures and the sound go on together.
TEST_F(SoundDeviceTest, AServerThatStallsAndGoesOnNeverTakesThePositionBack) {
    const QString path = toneClip();
    ASSERT_FALSE(path.isEmpty());
    SinkRecording sink;
    ASSERT_TRUE(sink.start());
    Stream stream;
    ASSERT_TRUE(stream.hasSoundOutput());
    stream.play(path);
    ASSERT_TRUE(stallAt(stream, 1.0, 2));
    ASSERT_TRUE(playUntil(stream, 10, [&](double) { return ended; }));

    const Stream::Stats s = stream.stats();
    // At most the pictures the device's first figures after the stall leap over: the
    // server says how much it took only when it next asks for sound.
    EXPECT_LE(s.dropped, 2u);
    EXPECT_LT(s.offsetMaxAbs, 0.04);
    // The first second, and more than a second after the stall. (A null sink that stalled
    // makes up for the time it lost, so what it plays then is not all recorded.)
    EXPECT_GT(sink.loudSeconds(), 2.2);
}

// A stall that outlasts the sound the device was given (it had taken a quarter of a second
// of it): once the server plays again, playing goes on at once rather than after a wait for
// sound, and the position neither runs back nor leaps over more than the device's first
// figures after it.
TEST_F(SoundDeviceTest, AStallLongerThanTheSoundGivenEndsWithoutAWait) {
    const QString path = toneClip();
    ASSERT_FALSE(path.isEmpty());
    Stream stream;
    ASSERT_TRUE(stream.hasSoundOutput());
    stream.play(path);
    ASSERT_TRUE(stallAt(stream, 0.25, 1.5));
    const double left = 4.0 - stream.time();
    QElapsedTimer wall;
    wall.start();
    ASSERT_TRUE(playUntil(stream, 10, [&](double) { return ended; }));
    EXPECT_LT(wall.elapsed() / 1000.0, left + 0.8) << "playing stood still after the stall";
    EXPECT_LE(stream.stats().dropped, 2u);
}

// Sound is decoded only as far ahead as the device needs, however long it goes on without
// pictures: a file whose pictures end early (the last of them stored at its very end, as
// FFmpeg writes H.264 that ends before the sound), one of sound alone, or one whose
// pictures never decode. Every picture still shows, and a seek into the sound alone
// plays on.
TEST_F(SoundDeviceTest, SoundIsDecodedNoFurtherAheadThanTheDeviceTakesIt) {
    const QStringList sound{"-f",   "lavfi",      "-i",  "sine=d=120",
                            "-c:a", "libmp3lame", "-ar", "44100"};
    const QStringList pictures{"-f", "lavfi", "-i", "testsrc=s=160x120:r=25:d=2"};
    // A copy with every picture damaged past decoding.
    const auto damaged = [](const QString& path) {
        QByteArray file = readFile(path);
        for (const qsizetype tag : tagOffsets(file)) {
            const qsizetype size = (std::uint8_t(file[tag + 1]) << 16) |
                                   (std::uint8_t(file[tag + 2]) << 8) | std::uint8_t(file[tag + 3]);
            if (file[tag] == 9)
                std::fill(file.begin() + tag + 12, file.begin() + tag + 11 + size, char(0x55));
        }
        const QString out = scratchPath(QFileInfo(path).completeBaseName() + "-damaged.flv");
        return writeFile(out, file) ? out : QString();
    };
    const QString flv1 =
        ffmpegClip("flv1-2s-sound-120s.flv", pictures + sound + QStringList{"-c:v", "flv1"});
    // More sound than may wait compressed while pictures are looked for.
    const QString flv1Pcm = ffmpegClip(
        "flv1-2s-pcm-240s.flv", pictures + QStringList{"-f", "lavfi", "-i", "sine=d=240", "-c:v",
                                                       "flv1", "-c:a", "pcm_s16le", "-ac", "2"});
    const struct {
        const char* name;
        QString path;
        int pictures;
    } files[] = {
        {"H.264 for two seconds",
         ffmpegClip("h264-2s-sound-120s.flv",
                    pictures + sound + QStringList{"-c:v", "libx264", "-pix_fmt", "yuv420p"}),
         50},
        {"Sorenson for two seconds", flv1, 50},
        {"sound alone", ffmpegClip("sound-120s.flv", sound), 0},
        {"pictures that never decode", damaged(flv1), 0},
        {"pictures that never decode, with more sound than may wait", damaged(flv1Pcm), 0},
    };
    for (const auto& f : files) {
        SCOPED_TRACE(f.name);
        Stream stream;
        ASSERT_TRUE(stream.hasSoundOutput());
        stream.play(f.path);
        last = 0;
        // Deadlines with room for the device's start (over a second on a null sink) and a
        // sanitized build: a file with no picture reads 16 MB before it plays, and a seek
        // past its last key frame reads to its end.
        ASSERT_TRUE(playUntil(stream, 10, [](double t) { return t >= 2.5; }));
        EXPECT_LT(stream.stats().soundTo - stream.time(), 5);
        EXPECT_GE(static_cast<int>(stream.stats().shown), f.pictures - 2);
        EXPECT_LE(stream.stats().dropped, 2u);
        stream.seek(60);
        last = 60;
        ASSERT_TRUE(playUntil(stream, 8, [](double t) { return t >= 60.3; })) << stream.time();
        EXPECT_LT(stream.stats().soundTo - stream.time(), 5);
    }
}

// The sound server going away mid-play (restarted, or gone with the session) ends the
// sound, not the playing: the pictures go on with the system clock, and what plays after
// it starts at once rather than after the wait for sound that can no longer come. Once the
// server is back, the next seek or file brings the sound back.
TEST_F(SoundDeviceTest, PlayingGoesOnWhenTheServerGoesAwayAndSoundComesBackWithIt) {
    Stream stream;
    ASSERT_TRUE(stream.hasSoundOutput());
    stream.play(clipPath(Clip::Flv1Mp3)); // 2 s
    ASSERT_TRUE(playUntil(stream, 5, [](double t) { return t >= 0.5; }));
    server->stop();
    EXPECT_TRUE(playUntil(stream, 5, [&](double) { return ended; })) << stream.time();
    // A seek, and then another file: each plays on within a second and a half of being
    // asked, not three seconds later.
    stream.seek(0.2);
    last = 0.2;
    EXPECT_TRUE(playUntil(stream, 1.5, [](double t) { return t >= 0.6; })) << stream.time();
    stream.play(clipPath(Clip::H264Aac));
    last = 0;
    EXPECT_TRUE(playUntil(stream, 1.5, [](double t) { return t >= 0.4; })) << stream.time();

    serverUp = server->start();
    ASSERT_TRUE(serverUp);
    for (const bool newFile : {false, true}) {
        SCOPED_TRACE(newFile ? "a new file" : "a seek");
        SinkRecording sink;
        ASSERT_TRUE(sink.start());
        // The sound library finds its server again on its own time: a player tries again
        // at each seek and file, as the user does.
        QElapsedTimer wall;
        wall.start();
        std::uint64_t heardBefore = 0;
        do {
            QCoreApplication::processEvents();
            heardBefore = stream.stats().soundSamples;
            if (newFile)
                stream.play(clipPath(Clip::Flv1Mp3));
            else
                stream.seek(0);
            ended = false;
            last = 0;
            ASSERT_TRUE(playUntil(stream, 3, [](double t) { return t >= 0.3; }));
        } while (stream.stats().soundSamples == heardBefore && wall.elapsed() < 10'000);
        EXPECT_TRUE(playUntil(stream, 5, [&](double) { return ended; }));
        EXPECT_GT(sink.loudSeconds(), 1.0);
    }
}

} // namespace
} // namespace zimo::media

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    zimo::media::PrivateSoundServer sound; // before the first look for a sound device
    zimo::media::server = &sound;
    zimo::media::serverUp = sound.start();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
