#include "clips.h"

#include "flv_from_mp4.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <iterator>
#include <map>

namespace zimo::media::test {

namespace {

constexpr std::size_t kCodecsCount = static_cast<std::size_t>(Codecs::Vp8AacExtended) + 1;

QTemporaryDir& folder() {
    static QTemporaryDir dir;
    return dir;
}

// The inputs and encoder options of each clip, as ffmpeg takes them.
struct Recipe {
    Clip clip;
    const char* inputs;  // lavfi sources: "v" the test picture, "a" the tone, "s" the
                         // speex tone, "V" four seconds of picture, "q" the tone
                         // for a second and quiet for the next, "L" twelve seconds
                         // of a busy 640x360 picture, "g" four seconds of the tone
                         // with stretches left out (no samples at all)
    const char* options; // encoder options, split at spaces
};

const Recipe kRecipes[] = {
    {Clip::Flv1Mp3, "va", "-c:v flv -c:a libmp3lame"},
    {Clip::H264Aac, "va", "-c:v libx264 -pix_fmt yuv420p -c:a aac"},
    {Clip::FlashSvAdpcm, "va", "-c:v flashsv -c:a adpcm_swf"},
    {Clip::Flv1Nellymoser, "va", "-c:v flv -c:a nellymoser"},
    {Clip::Flv1Speex, "vs", "-c:v flv -c:a libspeex -ac 1"},
    {Clip::Flv1Pcm, "va", "-c:v flv -c:a pcm_s16le"},
    {Clip::Flv1NoMetadata, "va", "-c:v flv -c:a libmp3lame -flvflags no_metadata"},
    {Clip::Flv1VideoOnly, "V", "-c:v flv -g 25"},
    {Clip::Mp3Only, "a", "-c:a libmp3lame"},
    {Clip::Mp4H264Aac, "va", "-c:v libx264 -pix_fmt yuv420p -c:a aac"},
    {Clip::Flv1HalfTone, "vq", "-c:v flv -c:a libmp3lame"},
    {Clip::H264FarKeyFrames, "L",
     "-c:v libx264 -preset veryfast -pix_fmt yuv420p -g 600 -keyint_min 600 -sc_threshold 0"},
    {Clip::Flv1SoundGaps, "Vg", "-c:v flv -c:a libmp3lame"},
};

QString source(char input) {
    switch (input) {
    case 'v':
        return QStringLiteral("testsrc=size=160x120:rate=25:d=2");
    case 'V':
        return QStringLiteral("testsrc=size=160x120:rate=25:d=4");
    case 'a':
        return QStringLiteral("sine=frequency=440:sample_rate=22050:d=2");
    case 's':
        return QStringLiteral("sine=frequency=440:sample_rate=16000:d=2");
    case 'L':
        return QStringLiteral("testsrc2=size=640x360:rate=25:d=12");
    case 'g':
        return QStringLiteral("sine=frequency=440:sample_rate=22050:d=4,"
                              "aselect='between(t,0.5,1.5)+gte(t,3)'");
    case 'q':
        return QStringLiteral("aevalsrc='if(lt(t,1),sin(2*PI*440*t)/8,0)':s=22050:d=2");
    }
    return {};
}

QStringList arguments(Clip clip, const QString& out) {
    QStringList a{"-hide_banner", "-loglevel", "error", "-y"};
    for (const Recipe& r : kRecipes) {
        if (r.clip != clip) continue;
        for (const char* i = r.inputs; *i; ++i)
            a << "-f"
              << "lavfi"
              << "-i" << source(*i);
        a << QString::fromLatin1(r.options).split(QLatin1Char(' '));
    }
    a << out;
    return a;
}

// Runs ffmpeg; whether it made `out`. Fails the test when it did not.
bool runFfmpeg(const QStringList& arguments, const QString& out) {
    QProcess ffmpeg;
    ffmpeg.start(QStringLiteral(ZIMO_FFMPEG), arguments);
    const bool ok =
        ffmpeg.waitForFinished(120000) && ffmpeg.exitCode() == 0 && QFileInfo(out).size() > 0;
    EXPECT_TRUE(ok) << "ffmpeg failed: " << ffmpeg.readAllStandardError().toStdString();
    return ok;
}

} // namespace

const char* codecsName(Codecs codecs) {
    constexpr const char* kNames[] = {
        "flv1_mp3",          "h264_aac",          "flashsv_adpcm",      "flv1_nellymoser",
        "flv1_speex",        "flv1_pcm",          "h264_mp3",           "hevc_aac",
        "hevc_aac_extended", "av1_aac",           "av1_aac_extended",   "vp9_aac_extended",
        "h264_opus",         "h264_flac",         "h264_ac3",           "h264_eac3",
        "h264_aac_extended", "h264_mp3_extended", "hevc_opus_extended", "vp8_aac_extended"};
    static_assert(std::size(kNames) == kCodecsCount);
    return kNames[static_cast<int>(codecs)];
}

const char* layoutName(Layout layout) {
    constexpr const char* kNames[] = {"flv", "flv_indexed", "flv_bare", "mp4"};
    return kNames[static_cast<int>(layout)];
}

QString numberedClip(Codecs codecs, Layout layout) {
    static std::map<std::pair<Codecs, Layout>, QString> made;
    const auto key = std::make_pair(codecs, layout);
    if (auto it = made.find(key); it != made.end()) return it->second;
    const QString out = scratchPath(
        QStringLiteral("numbered-%1-%2.%3")
            .arg(codecsName(codecs), layoutName(layout),
                 layout == Layout::Mp4 ? QStringLiteral("mp4") : QStringLiteral("flv")));
    // Written by our own writer from the MP4 of the same codecs, in the older layout or the
    // extended one.
    const struct {
        Codecs flv, mp4;
        bool extended, extendedSound;
    } kWritten[] = {{Codecs::HevcAac, Codecs::HevcAac, false, false},
                    {Codecs::HevcAacExtended, Codecs::HevcAac, true, false},
                    {Codecs::Av1Aac, Codecs::Av1Aac, false, false},
                    {Codecs::Av1AacExtended, Codecs::Av1Aac, true, false},
                    {Codecs::Vp9AacExtended, Codecs::Vp9AacExtended, true, false},
                    {Codecs::H264Opus, Codecs::H264Opus, false, false},
                    {Codecs::H264Flac, Codecs::H264Flac, false, false},
                    {Codecs::H264Ac3, Codecs::H264Ac3, false, false},
                    {Codecs::H264Eac3, Codecs::H264Eac3, false, false},
                    {Codecs::H264AacExtended, Codecs::H264Aac, false, true},
                    {Codecs::H264Mp3Extended, Codecs::H264Mp3, false, true},
                    {Codecs::HevcOpusExtended, Codecs::HevcOpusExtended, true, false},
                    {Codecs::Vp8AacExtended, Codecs::Vp8AacExtended, true, false}};
    for (const auto& w : kWritten) {
        if (w.flv != codecs || layout == Layout::Mp4) continue;
        const bool ok = writeAddedCodecFlv(numberedClip(w.mp4, Layout::Mp4), out, layout,
                                           w.extended, w.extendedSound);
        EXPECT_TRUE(ok) << "could not write " << out.toStdString();
        return made[key] = ok ? out : QString();
    }
    constexpr const char* kEncoders[][2] = {
        {"flv", "libmp3lame"},     {"libx264", "aac"},    {"flashsv", "adpcm_swf"},
        {"flv", "nellymoser"},     {"flv", "libspeex"},   {"flv", "pcm_s16le"},
        {"libx264", "libmp3lame"}, {"libx265", "aac"},    {"libx265", "aac"},
        {"libaom-av1", "aac"},     {"libaom-av1", "aac"}, {"libvpx-vp9", "aac"},
        {"libx264", "libopus"},    {"libx264", "flac"},   {"libx264", "ac3"},
        {"libx264", "eac3"},       {"libx264", "aac"},    {"libx264", "libmp3lame"},
        {"libx265", "libopus"},    {"libvpx", "aac"}};
    static_assert(std::size(kEncoders) == kCodecsCount);
    const auto& encoders = kEncoders[static_cast<int>(codecs)];
    const bool speex = codecs == Codecs::Flv1Speex;
    QStringList a{
        "-hide_banner",
        "-loglevel",
        "error",
        "-y",
        "-f",
        "lavfi",
        "-i",
        "color=gray:size=160x120:rate=25:d=2,format=yuv420p,"
        "geq=lum='if(mod(floor(N/pow(2,floor(X/20))),2),235,16)':cb=128:cr=128",
        "-f",
        "lavfi",
        "-i",
        QStringLiteral("sine=frequency=440:sample_rate=%1:d=2").arg(speex ? 16000 : 22050),
        "-c:v",
        encoders[0],
        "-g",
        "25",
        "-pix_fmt",
        "yuv420p",
        "-c:a",
        encoders[1]};
    if (speex)
        a << "-ac"
          << "1";
    if (layout == Layout::FlvIndexed)
        a << "-flvflags"
          << "add_keyframe_index";
    if (layout == Layout::FlvBare)
        a << "-flvflags"
          << "no_metadata";
    if (layout == Layout::Mp4) // FLAC in MP4 is new to this FFmpeg
        a << "-strict"
          << "experimental";
    if (layout == Layout::Mp4 && codecs == Codecs::Vp8AacExtended) // MP4 has no VP8
        a << "-f"
          << "matroska";
    a << out;
    runFfmpeg(a, out);
    made[key] = out;
    return out;
}

int pictureNumber(const QImage& image) {
    // At any scale: the picture may have been made for its place on the screen.
    if (image.width() < 16 || image.height() < 1) return -1;
    int number = 0;
    for (int bit = 0; bit < 8; ++bit) {
        const int x = (bit * 20 + 10) * image.width() / 160;
        if (qGray(image.pixel(x, image.height() / 2)) > 128) number |= 1 << bit;
    }
    return number;
}

QString scratchPath(const QString& name) {
    return folder().filePath(name);
}

QString clipPath(Clip clip) {
    static std::map<Clip, QString> made;
    if (auto it = made.find(clip); it != made.end()) return it->second;
    const QString out = scratchPath(QStringLiteral("clip%1.%2")
                                        .arg(static_cast<int>(clip))
                                        .arg(clip == Clip::Mp4H264Aac ? "mp4" : "flv"));
    runFfmpeg(arguments(clip, out), out);
    made[clip] = out;
    return out;
}

QString ffmpegClip(const QString& name, const QStringList& arguments) {
    const QString out = scratchPath(name);
    QStringList a{"-hide_banner", "-loglevel", "error", "-y"};
    a << arguments << out;
    return runFfmpeg(a, out) ? out : QString();
}

QByteArray readFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

QString sizeChangingClip() {
    const QString out = scratchPath("size-change.flv");
    if (QFileInfo::exists(out)) return out;
    // Transport stream parts join by putting one after the other; the H.264 stream then
    // carries the new size's parameters where the second part begins.
    QByteArray joined;
    for (const char* size : {"160x120", "320x120"}) {
        const QString part = ffmpegClip(
            QString("part-%1.ts").arg(size),
            {"-f", "lavfi", "-i", QString("testsrc=size=%1:rate=25:duration=2").arg(size), "-c:v",
             "libx264", "-g", "25", "-pix_fmt", "yuv420p", "-f", "mpegts"});
        if (part.isEmpty()) return {};
        joined += readFile(part);
    }
    const QString ts = scratchPath("size-change.ts");
    if (!writeFile(ts, joined)) return {};
    return ffmpegClip("size-change.flv", {"-i", ts, "-c", "copy"});
}

QString vp6aSamplePath() {
    const QString path = QStringLiteral(ZIMO_SAMPLES_DIR "/vp6a-1920x1080.flv");
    return QFileInfo(path).isFile() ? path : QString();
}

} // namespace zimo::media::test
