#include "movie_deploy.h"

#include "globals.h"

#include <zimo/player_control.h>

#include <QDir>
#include <QFile>
#include <QTemporaryFile>

const char MovieSignature[3] = {'C', 'W', 'S'};

namespace {

// Creates an empty file with a unique name beginning with prefix in folder and returns
// its path, or an empty string.
QString CreateUniqueEmptyFile(const QString& folder, const QString& prefix) {
    QTemporaryFile file(folder + prefix + QStringLiteral("XXXXXX.tmp"));
    file.setAutoRemove(false);
    if (!file.open()) return {};
    const QString path = file.fileName();
    file.close();
    return path;
}

// The user's temporary folder, with a trailing separator: TMPDIR as the user set it,
// whether or not it can be used, else the system's.
QString UserTempFolder() {
    QString folder = qEnvironmentVariable("TMPDIR");
    if (folder.isEmpty()) folder = QDir::tempPath();
    if (!folder.endsWith(QLatin1Char('/'))) folder += QLatin1Char('/');
    return folder;
}

} // namespace

void LoadMovieFile(const QString& path) {
    if (PlayerControl) PlayerControl->putMovie(path);
}

bool DeployMovie() {
    PathBufferA = UserTempFolder();
    PathBufferB = CreateUniqueEmptyFile(PathBufferA, QStringLiteral("z"));
    if (PathBufferB.isEmpty()) return false;

    QFile file(PathBufferB);
    bool good = file.open(QIODevice::ReadWrite | QIODevice::ExistingOnly);
    if (good) {
        const auto size = static_cast<qint64>(EmbeddedMovieSize);
        good = file.write(reinterpret_cast<const char*>(EmbeddedMovie), size) == size;
        // The image's own first bytes are not relied upon: the signature is written again.
        good = good && file.seek(0) && file.write(MovieSignature, 3) == 3;
        good = good && file.flush();
        file.close();
    }
    if (good) LoadMovieFile(PathBufferB);
    QFile::remove(PathBufferB);
    return good;
}
