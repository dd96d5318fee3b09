#include "file_intake.h"

#include "channel/movie_channel.h"
#include "commands/window_modes.h"
#include "settings.h"
#include "shell/globals.h"

#include <QCoreApplication>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QMainWindow>
#include <QMimeData>

void TakeCommandLineFile() {
    if (PaintCounter++ != 1) return;
    PathBufferA = ParseFirstArgument(QCoreApplication::arguments());
    if (!PathBufferA.isEmpty()) SendFile(PathBufferA);
}

QString ParseFirstArgument(const QStringList& arguments) {
    // The system has already split the command line, so a path with spaces or '!' in
    // it arrives as one argument, however the program itself was named.
    return arguments.size() < 2 ? QString() : arguments.at(1);
}

QString FirstDroppedFile(const QList<QUrl>& urls) {
    for (const QUrl& url : urls)
        if (url.isLocalFile() && !url.toLocalFile().isEmpty()) return url.toLocalFile();
    return {};
}

bool CarriesDroppedFile(const QDropEvent* event) {
    const QMimeData* data = event->mimeData();
    return data && data->hasUrls() && !FirstDroppedFile(data->urls()).isEmpty();
}

void TakeDroppedFile(const QDropEvent* event) {
    const QMimeData* data = event->mimeData();
    if (!data || !data->hasUrls()) return;
    const QString path = FirstDroppedFile(data->urls());
    if (path.isEmpty()) return;
    PathBufferA = path;
    SendFile(PathBufferA);
}

void OpenFileCommand() {
    if (IsZoomed()) SetCursorVisible(true);
    PathBufferA.clear();
    PathBufferB.clear();
    ReadSetting(QStringLiteral("Rec"), PathBufferA);
    // The last chosen file's folder is where the dialog starts.
    const QString folder =
        PathBufferA.isEmpty() ? QString() : QFileInfo(PathBufferA).absolutePath();
    if (!ShowOpenDialog(MainWindow, QLatin1String(OpenDialogFilter), PathBufferB,
                        QLatin1String(OpenDialogTitle), folder))
        return;
    SendFile(PathBufferB);
    WriteSetting(QStringLiteral("Rec"), PathBufferB);
}

bool ShowOpenDialog(QWidget* owner, const QString& filter, QString& file, const QString& title,
                    const QString& initialFolder) {
    QFileDialog dialog(owner, title, initialFolder, filter);
    dialog.setObjectName(QStringLiteral("OpenDialog"));
    // The chosen file need not exist; its name field starts empty.
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.selectFile(QString());
    if (dialog.exec() != QDialog::Accepted) return false;
    const QStringList chosen = dialog.selectedFiles();
    if (chosen.isEmpty() || chosen.constFirst().isEmpty()) return false;
    file = chosen.constFirst();
    return true;
}
