// Running the real program in a folder of its own, on the test's X server.
#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

struct ProgramRun {
    QTemporaryDir home; // HOME, XDG folders and TMPDIR of the run
    QTemporaryDir programDir;

    // Copies the program into programDir, with playerLibrary (if any) beside it under
    // the name the program looks for.
    bool install(const QString& program, const QString& playerLibrary,
                 const QString& folderName = QString());
    // Starts the program with a fresh environment; tmpdir overrides TMPDIR.
    void start(const QStringList& arguments = {}, const QString& tmpdir = {});
    // Installs the program with playerLibrary, starts it with no file and waits for its
    // main window; the window's id, or "" when any of that failed.
    QString startShown(const QString& program, const QString& playerLibrary);
    // Starts the program with exactly this argument vector, the program first.
    void startCommand(const QStringList& command);
    // The variables the recording player got, "name=value" each, in order.
    QStringList variables() const;
    // Waits until the recording player got line; false after the timeout.
    bool waitForVariable(const QString& line, int timeoutMs = 10000);
    // Waits for a top-level window whose title matches exactly; returns its id or "".
    QString waitForWindow(const QString& title, int timeoutMs = 10000);
    QStringList windowsNamed(const QString& title);
    bool waitForExit(int timeoutMs = 10000);
    QString tmpPath() const { return home.path() + "/tmp"; }
    QString configPath() const { return home.path() + "/config"; }
    QString dataPath() const { return home.path() + "/data"; }
    QString variableLog() const { return home.path() + "/variables.log"; }
    QString programPath() const { return programFolder + "/zimo"; }
    QString programFolder;
    // More of the program's environment, "NAME=value" each.
    QStringList environment;

    QProcess process;

private:
    void startIn(const QStringList& command, const QString& tmpdir);
};

// Runs a command and returns its standard output, trimmed.
QString RunTool(const QString& program, const QStringList& arguments);
// Activates a window and presses a key in it, as a user would.
void PressKeyIn(const QString& window, const QString& key);
// Drags files (paths, or file: addresses as they are encoded) from a stand-in file
// manager onto window and drops them there; what the drag source reports ("copied").
QString DragFiles(const QString& dragSource, const QStringList& files, const QString& window);
