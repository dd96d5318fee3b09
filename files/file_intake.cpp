#include "file_intake.h"

#include "channel/movie_channel.h"
#include "commands/window_modes.h"
#include "file_intake_paths.h"
#include "settings.h"
#include "shell/globals.h"

#include <zimo/file_name_text.h>

#include <QDir>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QMainWindow>
#include <QMimeData>
#include <QSettings>
#include <QTimer>

#include <memory>

namespace {

// The toolkit's file dialog writes its own state (folders visited, sidebar, sizes) to a
// settings file of the toolkit's as it goes. The program keeps no configuration but its
// own three values, so while the dialog goes that file is looked for where none can be
// made, and the toolkit's settings go back where they were right after.
void DismissWithoutKeepingState(std::unique_ptr<QFileDialog>& dialog) {
    const QString folder = QFileInfo(QSettings(QSettings::NativeFormat, QSettings::UserScope,
                                               QStringLiteral("QtProject"))
                                         .fileName())
                               .absolutePath();
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("/dev/null"));
    dialog.reset();
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, folder);
}

} // namespace

void KeepCommandLine(int argc, char** argv) {
    CommandLine.clear();
    for (int i = 0; i < argc; ++i)
        CommandLine.append(QByteArray(argv[i]));
}

void TakeCommandLineFile() {
    // The second paint is the usual moment: the movie's main script has run by then.
    if (PaintCounter++ == 1) HandOverCommandLineFile();
}

void HandOverCommandLineFile() {
    if (CommandLineTaken || ShutdownDone) return;
    CommandLineTaken = true;
    PathBufferA = ParseFirstArgument(CommandLine);
    if (!PathBufferA.isEmpty()) SendFile(PathBufferA);
}

void ExpectCommandLineFile() {
    // Without a window manager, or with a window the desktop never activates, no second
    // paint may come; the movie is ready all the same.
    QTimer::singleShot(SecondPaintWaitMs, [] { HandOverCommandLineFile(); });
}

QString ParseFirstArgument(const QList<QByteArray>& arguments) {
    // The system has already split the command line, so a path with spaces or '!' in
    // it arrives as one argument, however the program itself was named.
    return arguments.size() < 2 ? QString() : IncomingFilePath(zimo::fileNameText(arguments.at(1)));
}

QString FirstDroppedFile(const QList<QUrl>& urls) {
    for (const QUrl& url : urls)
        if (const QString path = LocalFileOf(url); !path.isEmpty()) return path;
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
    auto dialog = std::make_unique<QFileDialog>(owner, title, initialFolder, filter);
    dialog->setObjectName(QStringLiteral("OpenDialog"));
    // The chosen file need not exist; its name field starts empty.
    dialog->setFileMode(QFileDialog::AnyFile);
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    dialog->setOption(QFileDialog::HideNameFilterDetails);
    dialog->selectFile(QString());
    const bool accepted = dialog->exec() == QDialog::Accepted;
    const QStringList chosen = accepted ? dialog->selectedFiles() : QStringList();
    const QDir shownFolder = dialog->directory();
    DismissWithoutKeepingState(dialog);
    if (chosen.isEmpty() || chosen.constFirst().isEmpty()) return false;
    file = chosen.constFirst();
    // A file: address typed into the name field comes back joined to the folder shown.
    const QString typed = shownFolder.relativeFilePath(file);
    if (!PathExists(file) && typed.startsWith(QLatin1String("file:"), Qt::CaseInsensitive))
        file = typed;
    file = RecoverShownFileName(IncomingFilePath(file));
    return true;
}
