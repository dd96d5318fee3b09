// The menu entry claims only types the player plays: for every type in its MimeType
// list a clip of that kind is made with FFmpeg and must open in the player's media
// engine, and every type has such a clip.
#include "media/media_file.h"

#include <QFile>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <map>

namespace {

struct Recipe {
    const char* extension;
    const char* options; // FFmpeg's output options for one second of test picture
};

// Each type with a file as the desktop would hand it over for that type.
const std::map<QString, Recipe> kClips = {
    {"video/x-flv", {"flv", "-c:v flv1 -c:a libmp3lame -ar 44100"}},
    {"video/x-f4v", {"f4v", "-f f4v -c:v libx264 -c:a aac"}},
    {"video/mp4", {"mp4", "-c:v libx264 -c:a aac"}},
    {"video/x-m4v", {"m4v", "-f mp4 -c:v mpeg4 -an"}},
    {"video/quicktime", {"mov", "-c:v mpeg4 -c:a aac"}},
    {"video/3gpp", {"3gp", "-c:v h263 -s 176x144 -c:a aac -ar 8000 -ac 1"}},
    {"video/3gpp2", {"3g2", "-c:v mpeg4 -c:a aac -ar 8000 -ac 1"}},
};

QStringList EntryMimeTypes() {
    QFile entry(ZIMO_DESKTOP_ENTRY);
    if (!entry.open(QIODevice::ReadOnly)) return {};
    for (const QByteArray& line : entry.readAll().split('\n'))
        if (line.startsWith("MimeType="))
            return QString::fromUtf8(line.mid(9)).split(';', Qt::SkipEmptyParts);
    return {};
}

TEST(MenuEntry, EveryTypeItClaimsPlays) {
    const QStringList types = EntryMimeTypes();
    ASSERT_FALSE(types.isEmpty());
    QTemporaryDir dir;
    for (const QString& type : types) {
        const auto recipe = kClips.find(type);
        ASSERT_NE(recipe, kClips.end()) << type.toStdString() << " has no clip to try";
        const QString clip = dir.filePath("clip." + QString(recipe->second.extension));
        QProcess ffmpeg;
        ffmpeg.start("ffmpeg", QStringList{"-v", "error", "-y", "-f", "lavfi", "-i",
                                           "testsrc2=size=176x144:rate=15:duration=1", "-f",
                                           "lavfi", "-i", "sine=duration=1"} +
                                   QString(recipe->second.options).split(' ') + QStringList{clip});
        ASSERT_TRUE(ffmpeg.waitForFinished(60000) && ffmpeg.exitCode() == 0)
            << type.toStdString() << ": " << ffmpeg.readAllStandardError().toStdString();
        const auto file = zimo::media::MediaFile::open(clip);
        ASSERT_TRUE(file) << type.toStdString();
        EXPECT_TRUE(file->info().hasVideo) << type.toStdString();
    }
    EXPECT_EQ(types.size(), static_cast<qsizetype>(kClips.size()))
        << "a clip for a type not claimed";
}

} // namespace
