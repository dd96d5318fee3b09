#include "clip_maker.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <bit>
#include <cstdint>

namespace {

QTemporaryDir& folder() {
    static QTemporaryDir dir;
    return dir;
}

// Renames a metadata key to another of the same length, so the file no longer has it.
void renameKey(QByteArray& file, const QByteArray& key, const QByteArray& other) {
    QByteArray needle;
    needle.append(char(0)).append(char(key.size())).append(key).append(char(0));
    const qsizetype at = file.indexOf(needle);
    if (at >= 0) file.replace(at + 2, key.size(), other);
}

// Sets the number after a metadata key.
void patchNumber(QByteArray& file, const QByteArray& key, double value) {
    QByteArray needle;
    needle.append(char(0)).append(char(key.size())).append(key).append(char(0));
    const qsizetype at = file.indexOf(needle);
    if (at < 0 || at + needle.size() + 8 > file.size()) return;
    const auto bits = std::bit_cast<std::uint64_t>(value);
    for (int i = 0; i < 8; ++i)
        file[at + needle.size() + i] = static_cast<char>((bits >> (8 * (7 - i))) & 0xff);
}

} // namespace

QString vp6aSample() {
    const QString path = QStringLiteral(ZIMO_SAMPLES_DIR "/vp6a-1920x1080.flv");
    return QFile::exists(path) ? path : QString();
}

QString scratchPath(const QString& name) {
    return folder().filePath(name);
}

QString makeClip(const ClipSpec& clip) {
    const QString name = QString("clip-%1x%2-%3s-%4-%5%6.flv")
                             .arg(clip.width)
                             .arg(clip.height)
                             .arg(clip.seconds)
                             .arg(clip.sound ? "av" : "v")
                             .arg(clip.sizeInMetadata ? "sized" : "unsized")
                             .arg(clip.duration ? QString("-d%1").arg(*clip.duration) : QString());
    const QString path = scratchPath(name);
    if (QFile::exists(path)) return path;
    QStringList args = {"-v",
                        "error",
                        "-y",
                        "-f",
                        "lavfi",
                        "-i",
                        QString("testsrc=size=%1x%2:rate=25:duration=%3")
                            .arg(clip.width)
                            .arg(clip.height)
                            .arg(clip.seconds)};
    if (clip.sound)
        args << "-f"
             << "lavfi"
             << "-i" << QString("sine=frequency=440:duration=%1").arg(clip.seconds);
    args << "-c:v"
         << "flv1"
         << "-g"
         << "25";
    if (clip.sound)
        args << "-c:a"
             << "libmp3lame"
             << "-ar"
             << "44100";
    args << path;
    QProcess ffmpeg;
    ffmpeg.start("ffmpeg", args);
    if (!ffmpeg.waitForFinished(60000) || ffmpeg.exitCode() != 0) return {};
    if (!clip.sizeInMetadata || clip.duration) {
        QFile file(path);
        if (!file.open(QIODevice::ReadWrite)) return {};
        QByteArray bytes = file.readAll();
        if (!clip.sizeInMetadata) {
            renameKey(bytes, "width", "wxdth");
            renameKey(bytes, "height", "hxight");
        }
        if (clip.duration) patchNumber(bytes, "duration", *clip.duration);
        file.seek(0);
        file.write(bytes);
    }
    return path;
}
