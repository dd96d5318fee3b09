// The .flv association in temporary XDG folders: the desktop entry, the default in
// mimeapps.list, the "old" backup and the menu bar's mark.
#include "commands/menus.h"
#include "files/association.h"
#include "files/settings.h"
#include "files/xdg_association.h"
#include "shell/globals.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QMainWindow>
#include <QMenuBar>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <unistd.h>

namespace {

QString ReadText(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

void WriteText(const QString& path, const QString& text) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(text.toUtf8());
}

class Association : public ::testing::Test {
protected:
    void SetUp() override {
        savedConfig = qgetenv("XDG_CONFIG_HOME");
        savedData = qgetenv("XDG_DATA_HOME");
        UseFolders(dir.path() + "/config", dir.path() + "/data");
        window = new QMainWindow;
        window->setMenuBar(LoadMenuBar("T"));
        MainWindow = window;
        SavedMenuBar = nullptr;
        ResetShellState();
    }
    void TearDown() override {
        MainWindow = nullptr;
        delete window;
        qputenv("XDG_CONFIG_HOME", savedConfig);
        qputenv("XDG_DATA_HOME", savedData);
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                           QString::fromLocal8Bit(savedConfig));
    }
    void UseFolders(const QString& config, const QString& data) {
        QDir().mkpath(data);
        qputenv("XDG_CONFIG_HOME", config.toLocal8Bit());
        qputenv("XDG_DATA_HOME", data.toLocal8Bit());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, config);
    }
    QString mimeApps() const { return dir.path() + "/config/mimeapps.list"; }
    QString old() const {
        QString out = "unread";
        return ReadSetting("old", out) ? out : QString("<missing>");
    }
    bool mark() const { return IsMenuItemChecked(window->menuBar(), 12); }

    QTemporaryDir dir;
    QByteArray savedConfig, savedData;
    QMainWindow* window = nullptr;
};

// What xdg-mime reports as the default application for .flv files, with the
// system-wide folders left out.
QString XdgMimeDefault() {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove("XDG_CURRENT_DESKTOP");
    env.remove("KDE_SESSION_VERSION");
    env.remove("DESKTOP_SESSION");
    env.insert("XDG_DATA_DIRS", "/nonexistent");
    env.insert("XDG_CONFIG_DIRS", "/nonexistent");
    p.setProcessEnvironment(env);
    p.start("xdg-mime", {"query", "default", "video/x-flv"});
    p.waitForFinished(20000);
    return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
}

TEST_F(Association, WithNoPreviousDefaultOldIsEmptyAndUnassociatingRemovesOurs) {
    EXPECT_FALSE(IsAssociated());
    EXPECT_EQ(XdgMimeDefault(), "");
    ToggleAssociation();
    EXPECT_TRUE(AssociationFlag);
    EXPECT_TRUE(mark());
    EXPECT_TRUE(IsAssociated());
    EXPECT_EQ(old(), "");
    EXPECT_EQ(XdgMimeDefault(), "zimoFLV.desktop");

    const QString entry = ReadText(dir.path() + "/data/applications/zimoFLV.desktop");
    EXPECT_TRUE(entry.startsWith("[Desktop Entry]\n"));
    EXPECT_TRUE(entry.contains("\nName=FLV Player zimo\n"));
    EXPECT_TRUE(entry.contains("\nMimeType=video/x-flv;\n"));
    EXPECT_TRUE(entry.contains("\nIcon="));
    EXPECT_TRUE(entry.contains("\nExec=" + QCoreApplication::applicationFilePath() + " %f\n"))
        << entry.toStdString();
    // A valid entry the desktop offers for .flv files ("Open with"): shown, and listed
    // in its folder's cache of file types.
    EXPECT_FALSE(entry.contains("NoDisplay"));
    EXPECT_EQ(QProcess::execute("desktop-file-validate",
                                {dir.path() + "/data/applications/zimoFLV.desktop"}),
              0);
    EXPECT_TRUE(ReadText(dir.path() + "/data/applications/mimeinfo.cache")
                    .contains("\nvideo/x-flv=zimoFLV.desktop;"));

    ToggleAssociation();
    EXPECT_FALSE(AssociationFlag);
    EXPECT_FALSE(mark());
    EXPECT_FALSE(IsAssociated());
    EXPECT_FALSE(ReadText(mimeApps()).contains("video/x-flv"));
}

TEST_F(Association, PreviousDefaultIsKeptAndPutBackWithEveryOtherLine) {
    const QString before = "[Default Applications]\ntext/plain=gedit.desktop\n"
                           "video/x-flv=vlc.desktop;mpv.desktop;\n\n[Added Associations]\n"
                           "video/x-flv=vlc.desktop;\n";
    WriteText(mimeApps(), before);
    WriteText(dir.path() + "/data/applications/vlc.desktop",
              "[Desktop Entry]\nType=Application\nName=V\nExec=/bin/true %U\n");
    EXPECT_EQ(XdgMimeDefault(), "vlc.desktop");
    ToggleAssociation();
    EXPECT_EQ(old(), "vlc.desktop;mpv.desktop;");
    const QString during = ReadText(mimeApps());
    EXPECT_TRUE(during.contains("text/plain=gedit.desktop\n"));
    EXPECT_TRUE(during.contains("[Added Associations]\nvideo/x-flv=vlc.desktop;\n"));
    EXPECT_TRUE(during.contains("[Default Applications]\ntext/plain=gedit.desktop\n"
                                "video/x-flv=zimoFLV.desktop\n"));
    EXPECT_EQ(XdgMimeDefault(), "zimoFLV.desktop");
    ToggleAssociation();
    EXPECT_EQ(ReadText(mimeApps()), before);
    EXPECT_FALSE(IsAssociated());
    EXPECT_EQ(XdgMimeDefault(), "vlc.desktop");
}

TEST_F(Association, OurOwnEntryInAnyLetterCaseCountsAndOldIsLeftAlone) {
    WriteSetting("old", "previous.desktop");
    for (const char* ours : {"zimoflv.desktop", "ZIMOFLV.DESKTOP;other.desktop;", "zimo.desktop"}) {
        WriteText(mimeApps(), QString("[Default Applications]\nvideo/x-flv=") + ours + "\n");
        EXPECT_TRUE(IsAssociated()) << ours;
        EXPECT_TRUE(Associate());
        EXPECT_EQ(old(), "previous.desktop") << ours;
    }
    // A name that merely starts like ours is someone else's.
    WriteText(mimeApps(), "[Default Applications]\nvideo/x-flv=zimoFLV.desktop.bak\n");
    EXPECT_FALSE(IsAssociated());
}

TEST_F(Association, InstalledEntryCountsWhereItIsBesideTheProgramAndTheDesktopFindsIt) {
    const QString prefix = dir.path() + "/prefix";
    const QString program = prefix + "/bin/zimo";
    WriteText(program, "");
    const QByteArray savedDirs = qgetenv("XDG_DATA_DIRS");
    qputenv("XDG_DATA_DIRS", (prefix + "/share").toLocal8Bit());
    EXPECT_FALSE(HasInstalledDesktopEntry(program));
    WriteText(prefix + "/share/applications/zimo.desktop", "[Desktop Entry]\n");
    EXPECT_TRUE(HasInstalledDesktopEntry(program));
    // Installed somewhere the desktop does not look.
    qputenv("XDG_DATA_DIRS", "/nonexistent");
    EXPECT_FALSE(HasInstalledDesktopEntry(program));
    if (savedDirs.isNull())
        qunsetenv("XDG_DATA_DIRS");
    else
        qputenv("XDG_DATA_DIRS", savedDirs);
}

TEST_F(Association, UnwritableConfigLeavesMarkAndFlagAsTheyWere) {
    if (geteuid() == 0) {
        // Root writes into any folder whatever its mode; a place nobody can write in
        // stands for the read-only folder.
        UseFolders("/proc/zimo-read-only-config", dir.path() + "/data");
        ToggleAssociation();
        EXPECT_FALSE(AssociationFlag);
        EXPECT_FALSE(mark());
        return;
    }
    const QString readOnly = dir.path() + "/config";
    const auto writable = QFile::permissions(readOnly);
    QFile::setPermissions(readOnly, QFile::ReadOwner | QFile::ExeOwner);
    ToggleAssociation();
    EXPECT_FALSE(AssociationFlag);
    EXPECT_FALSE(mark());
    // Associated, then the folder turns read-only: un-associating fails just as visibly.
    QFile::setPermissions(readOnly, writable);
    ToggleAssociation();
    ASSERT_TRUE(AssociationFlag);
    QFile::setPermissions(readOnly, QFile::ReadOwner | QFile::ExeOwner);
    ToggleAssociation();
    EXPECT_TRUE(AssociationFlag);
    EXPECT_TRUE(mark());
    EXPECT_TRUE(IsAssociated());
    QFile::setPermissions(readOnly, writable);
}

TEST_F(Association, DefaultsTooLongToReadDoNotCount) {
    WriteText(mimeApps(),
              "[Default Applications]\nvideo/x-flv=zimoFLV.desktop;" + QString(600, 'x') + "\n");
    EXPECT_FALSE(IsAssociated());
}

} // namespace
