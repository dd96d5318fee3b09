#include "clips.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <map>

namespace zimo::media::test {

namespace {

QTemporaryDir& folder() {
    static QTemporaryDir dir;
    return dir;
}

QStringList arguments(Clip clip, const QString& out) {
    const QStringList video{"-f", "lavfi", "-i", "testsrc=size=160x120:rate=25:d=2"};
    const QStringList tone{"-f", "lavfi", "-i", "sine=frequency=440:sample_rate=22050:d=2"};
    QStringList a{"-hide_banner", "-loglevel", "error", "-y"};
    switch (clip) {
    case Clip::Flv1Mp3:
        a << video << tone << "-c:v"
          << "flv"
          << "-c:a"
          << "libmp3lame";
        break;
    case Clip::H264Aac:
        a << video << tone << "-c:v"
          << "libx264"
          << "-pix_fmt"
          << "yuv420p"
          << "-c:a"
          << "aac";
        break;
    case Clip::FlashSvAdpcm:
        a << video << tone << "-c:v"
          << "flashsv"
          << "-c:a"
          << "adpcm_swf";
        break;
    case Clip::Flv1Nellymoser:
        a << video << tone << "-c:v"
          << "flv"
          << "-c:a"
          << "nellymoser";
        break;
    case Clip::Flv1Speex:
        a << video << "-f"
          << "lavfi"
          << "-i"
          << "sine=frequency=440:sample_rate=16000:d=2"
          << "-c:v"
          << "flv"
          << "-c:a"
          << "libspeex"
          << "-ac"
          << "1";
        break;
    case Clip::Flv1Pcm:
        a << video << tone << "-c:v"
          << "flv"
          << "-c:a"
          << "pcm_s16le";
        break;
    case Clip::Flv1NoMetadata:
        a << video << tone << "-c:v"
          << "flv"
          << "-c:a"
          << "libmp3lame"
          << "-flvflags"
          << "no_metadata";
        break;
    case Clip::Flv1VideoOnly:
        a << "-f"
          << "lavfi"
          << "-i"
          << "testsrc=size=160x120:rate=25:d=4"
          << "-c:v"
          << "flv"
          << "-g"
          << "25";
        break;
    case Clip::Mp3Only:
        a << tone << "-c:a"
          << "libmp3lame";
        break;
    case Clip::Mp4H264Aac:
        a << video << tone << "-c:v"
          << "libx264"
          << "-pix_fmt"
          << "yuv420p"
          << "-c:a"
          << "aac";
        break;
    }
    a << out;
    return a;
}

} // namespace

QString scratchPath(const QString& name) {
    return folder().filePath(name);
}

QString clipPath(Clip clip) {
    static std::map<Clip, QString> made;
    if (auto it = made.find(clip); it != made.end()) return it->second;
    const QString out = scratchPath(QStringLiteral("clip%1.%2")
                                        .arg(static_cast<int>(clip))
                                        .arg(clip == Clip::Mp4H264Aac ? "mp4" : "flv"));
    QProcess ffmpeg;
    ffmpeg.start(QStringLiteral(ZIMO_FFMPEG), arguments(clip, out));
    const bool ok =
        ffmpeg.waitForFinished(120000) && ffmpeg.exitCode() == 0 && QFileInfo(out).size() > 0;
    EXPECT_TRUE(ok) << "ffmpeg failed: " << ffmpeg.readAllStandardError().toStdString();
    made[clip] = out;
    return out;
}

QByteArray readFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

QString vp6aSamplePath() {
    const QString path = QStringLiteral(ZIMO_SAMPLES_DIR "/vp6a-1920x1080.flv");
    return QFileInfo(path).isFile() ? path : QString();
}

} // namespace zimo::media::test
