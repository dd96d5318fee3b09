#include "clip.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <filesystem>

QString ProgressClip(const QString& folder, bool band) {
    const QString name = band ? "progress" : "plain";
    const QString path = folder + "/" + name + ".flv";
    if (QFileInfo(path).size() > 0) return path;
    QDir().mkpath(folder);
    // Written under a name of its own, then renamed: another process never sees half a clip.
    const QString partial =
        folder + QString("/%1.%2.part.flv").arg(name).arg(QCoreApplication::applicationPid());
    const QString seconds = QString::number(ClipSeconds);
    QString video = QString("testsrc2=size=640x360:rate=25:duration=%1").arg(seconds);
    if (band)
        video += QString(",drawbox=x=0:y=36:w=640:h=36:color=black:t=fill[picture];"
                         "color=c=white:size=640x36:rate=25[band];"
                         "[picture][band]overlay=x='-640+t*640/%1':y=36:shortest=1")
                     .arg(seconds);
    QProcess ffmpeg;
    ffmpeg.start("ffmpeg",
                 {"-hide_banner", "-loglevel",  "error", "-y",
                  "-f",           "lavfi",      "-i",    video,
                  "-f",           "lavfi",      "-i",    "sine=frequency=440:duration=" + seconds,
                  "-c:v",         "flv1",       "-q:v",  "6",
                  "-c:a",         "libmp3lame", "-ar",   "44100",
                  "-b:a",         "64k",        partial});
    if (!ffmpeg.waitForFinished(120000) || ffmpeg.exitCode() != 0) {
        QFile::remove(partial);
        return {};
    }
    // Replaces a clip another process finished meanwhile in one step.
    std::error_code failed;
    std::filesystem::rename(partial.toStdString(), path.toStdString(), failed);
    if (failed) QFile::remove(partial);
    return QFileInfo(path).size() > 0 ? path : QString();
}
