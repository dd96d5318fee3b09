#include "program_run.h"

#include <zimo/file_name_text.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRegularExpression>
#include <QThread>

QString RunTool(const QString& program, const QStringList& arguments) {
    QProcess p;
    p.start(program, arguments);
    p.waitForFinished(10000);
    return QString::fromLocal8Bit(p.readAllStandardOutput()).trimmed();
}

bool ProgramRun::install(const QString& program, const QString& playerLibrary,
                         const QString& folderName) {
    programFolder = programDir.path();
    if (!folderName.isEmpty()) {
        programFolder += "/" + folderName;
        QDir().mkpath(programFolder);
    }
    const QString target = programFolder + "/zimo";
    if (!QFile::copy(program, target)) return false;
    QFile::setPermissions(target, QFile::permissions(program));
    if (!playerLibrary.isEmpty() &&
        !QFile::copy(playerLibrary, programFolder + "/libzimoplayer.so"))
        return false;
    for (const char* sub : {"home", "config", "data", "cache", "runtime", "tmp"})
        QDir(home.path()).mkpath(sub);
    QFile::setPermissions(home.path() + "/runtime",
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return true;
}

void ProgramRun::start(const QStringList& arguments, const QString& tmpdir) {
    startIn(QStringList{programPath()} + arguments, tmpdir);
}

void ProgramRun::startCommand(const QStringList& command) {
    startIn(command, {});
}

QStringList ProgramRun::variables() const {
    QFile log(variableLog());
    if (!log.open(QIODevice::ReadOnly)) return {};
    return zimo::fileNameText(log.readAll()).split('\n', Qt::SkipEmptyParts);
}

bool ProgramRun::waitForVariable(const QString& line, int timeoutMs) {
    QElapsedTimer waited;
    waited.start();
    while (!variables().contains(line)) {
        if (waited.elapsed() > timeoutMs) return false;
        QThread::msleep(50);
    }
    return true;
}

QString ProgramRun::startShown(const QString& program, const QString& playerLibrary) {
    if (!install(program, playerLibrary)) return {};
    start();
    return waitForWindow("FLV Player zimo");
}

void ProgramRun::startIn(const QStringList& command, const QString& tmpdir) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("HOME", home.path() + "/home");
    env.insert("XDG_CONFIG_HOME", configPath());
    env.insert("XDG_DATA_HOME", home.path() + "/data");
    env.insert("XDG_CACHE_HOME", home.path() + "/cache");
    env.insert("XDG_RUNTIME_DIR", home.path() + "/runtime");
    env.insert("TMPDIR", tmpdir.isEmpty() ? tmpPath() : tmpdir);
    env.insert("ZIMO_TEST_VARIABLE_LOG", variableLog());
    // The program runs on the test's window system, an X server or a Wayland compositor.
    if (env.value("QT_QPA_PLATFORM") != "wayland") env.remove("QT_QPA_PLATFORM");
    for (const QString& setting : environment)
        env.insert(setting.section('=', 0, 0), setting.section('=', 1));
    process.setProcessEnvironment(env);
    process.start(command.first(), command.mid(1));
    process.waitForStarted();
}

QStringList ProgramRun::windowsNamed(const QString& title) {
    const QString out =
        RunTool("xdotool", {"search", "--all", "--pid", QString::number(process.processId()),
                            "--name", "^" + QRegularExpression::escape(title) + "$"});
    QStringList shown;
    if (out.isEmpty()) return shown;
    // Only windows that are actually on the screen count.
    for (const QString& id : out.split('\n'))
        if (RunTool("xwininfo", {"-id", id}).contains("Map State: IsViewable")) shown << id;
    return shown;
}

QString ProgramRun::waitForWindow(const QString& title, int timeoutMs) {
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < timeoutMs && process.state() == QProcess::Running) {
        const QStringList shown = windowsNamed(title);
        if (!shown.isEmpty()) return shown.first();
        QThread::msleep(50);
    }
    return {};
}

bool ProgramRun::waitForExit(int timeoutMs) {
    return process.state() == QProcess::NotRunning || process.waitForFinished(timeoutMs);
}

void PressKeyIn(const QString& window, const QString& key) {
    RunTool("xdotool", {"windowactivate", "--sync", window});
    RunTool("xdotool", {"key", key});
}

QString DragFiles(const QString& dragSource, const QStringList& files, const QString& window) {
    QProcess source;
    source.start(dragSource, files);
    QString sourceWindow;
    for (int i = 0; i < 100 && sourceWindow.isEmpty(); ++i, QThread::msleep(50))
        sourceWindow =
            RunTool("xdotool", {"search", "--name", "^drag source$"}).section('\n', 0, 0);
    if (sourceWindow.isEmpty()) return "no drag source";
    RunTool("xdotool", {"windowactivate", "--sync", sourceWindow});
    RunTool("xdotool", {"mousemove", "--window", sourceWindow, "50", "50", "mousedown", "1"});
    // Across to the picture in small steps, as a hand would.
    for (int step = 0; step < 20; ++step) {
        QThread::msleep(30);
        RunTool("xdotool", {"mousemove", "--window", window, QString::number(10 + step * 10),
                            QString::number(100)});
    }
    QThread::msleep(100);
    RunTool("xdotool", {"mouseup", "1"});
    if (!source.waitForFinished(10000)) return "the drag did not end";
    return QString::fromLatin1(source.readAllStandardOutput()).trimmed();
}
