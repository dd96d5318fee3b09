#include "xdg_association.h"

#include "mimeapps.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSaveFile>
#include <QStandardPaths>

namespace {

bool ReadWholeFile(const QString& path, QString& text) {
    text.clear();
    QFile file(path);
    if (!file.exists()) return true;
    if (!file.open(QIODevice::ReadOnly)) return false;
    text = QString::fromUtf8(file.readAll());
    return file.error() == QFileDevice::NoError;
}

bool WriteWholeFile(const QString& path, const QString& text) {
    if (!QDir().mkpath(QFileInfo(path).absolutePath())) return false;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return false;
    const QByteArray bytes = text.toUtf8();
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

// A file installed with the program at programPath, by its path under the prefix.
QString InstalledBeside(const QString& programPath, const QString& underPrefix) {
    const QString path =
        QFileInfo(programPath).absolutePath() + QStringLiteral("/../") + underPrefix;
    return QFileInfo::exists(path) ? QFileInfo(path).canonicalFilePath() : QString();
}

// The installed icon beside the program, or the icon's theme name.
QString ProgramIcon(const QString& programPath) {
    const QString installed =
        InstalledBeside(programPath, QStringLiteral("share/icons/hicolor/32x32/apps/zimo.png"));
    return installed.isEmpty() ? QStringLiteral("zimo") : installed;
}

// How long the desktop's cache tool may take before it is given up on.
constexpr int kCacheUpdateMs = 10000;

// Desktops look a folder's entries up by file type in the cache this tool writes.
void UpdateDesktopDatabase(const QString& folder) {
    const QString tool = QStandardPaths::findExecutable(QStringLiteral("update-desktop-database"));
    if (tool.isEmpty()) return;
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.setStandardOutputFile(QProcess::nullDevice());
    process.start(tool, {folder});
    if (!process.waitForFinished(kCacheUpdateMs)) process.kill();
    process.waitForFinished();
}

} // namespace

QString MimeAppsListPath() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/mimeapps.list");
}

QString ProgramDesktopEntryPath() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/applications/") + QLatin1String(ProgramDesktopId);
}

bool ReadFlvDefault(QString& out, int capacity) {
    out.clear();
    QString text;
    if (!ReadWholeFile(MimeAppsListPath(), text)) return false;
    const auto entry = DefaultApplicationEntry(text, QLatin1String(FlvMimeType));
    if (!entry || (entry->size() + 1) * 2 > capacity) return false;
    out = *entry;
    return true;
}

bool WriteFlvDefault(const QString& entry) {
    const QString path = MimeAppsListPath();
    QString text;
    if (!ReadWholeFile(path, text)) return false;
    const QString changed = WithDefaultApplication(text, QLatin1String(FlvMimeType), entry);
    if (changed == text) return true;
    return WriteWholeFile(path, changed);
}

bool WriteProgramDesktopEntry(const QString& programPath) {
    const auto program = DesktopExecProgram(programPath);
    if (!program) return false;
    QString text = QStringLiteral("[Desktop Entry]\n"
                                  "Type=Application\n"
                                  "Name=FLV Player zimo\n");
    text += QStringLiteral("Exec=") + *program + QStringLiteral(" %f\n");
    text += QStringLiteral("Icon=") + ProgramIcon(programPath) + QLatin1Char('\n');
    text += QStringLiteral("MimeType=") + QLatin1String(FlvMimeType) + QStringLiteral(";\n");
    text += QStringLiteral("Terminal=false\n"
                           "Categories=AudioVideo;Video;Player;\n"
                           "StartupWMClass=ZP\n");
    const QString path = ProgramDesktopEntryPath();
    if (!WriteWholeFile(path, text)) return false;
    UpdateDesktopDatabase(QFileInfo(path).absolutePath());
    return true;
}

bool HasInstalledDesktopEntry(const QString& programPath) {
    const QString entry = InstalledBeside(programPath, QStringLiteral("share/applications/") +
                                                           QLatin1String(InstalledDesktopId));
    if (entry.isEmpty()) return false;
    const QStringList found = QStandardPaths::locateAll(QStandardPaths::GenericDataLocation,
                                                        QStringLiteral("applications/") +
                                                            QLatin1String(InstalledDesktopId));
    for (const QString& path : found)
        if (QFileInfo(path).canonicalFilePath() == entry) return true;
    return false;
}
