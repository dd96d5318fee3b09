// The real program as a user meets it: files on the command line and through the
// association, keys and the wheel from the X server, with a recording player.
#include "files/xdg_association.h"
#include "program_run.h"

#include <QDir>
#include <QFile>
#include <QPoint>
#include <QRegularExpression>
#include <QSize>
#include <QThread>
#include <gtest/gtest.h>

namespace {

QSize ClientSize(const QString& window) {
    const QString out = RunTool("xdotool", {"getwindowgeometry", window});
    const auto match = QRegularExpression(R"(Geometry: (\d+)x(\d+))").match(out);
    return match.hasMatch() ? QSize(match.captured(1).toInt(), match.captured(2).toInt()) : QSize();
}

bool WaitForSize(const QString& window, const QSize& size) {
    for (int i = 0; i < 100; ++i) {
        if (ClientSize(window) == size) return true;
        QThread::msleep(50);
    }
    return false;
}

// The command a desktop runs for an entry's Exec key with one file: the key's string
// escapes, quoted arguments with their backslash escapes, and the field codes.
QStringList DesktopCommand(const QString& entryText, const QString& file) {
    QString exec;
    for (const QString& line : entryText.split('\n'))
        if (line.startsWith("Exec=")) exec = line.mid(5);
    QString value;
    for (qsizetype i = 0; i < exec.size(); ++i) {
        if (exec[i] == '\\' && i + 1 < exec.size()) {
            const QChar next = exec[++i];
            value += next == 's' ? QChar(' ') : next == 't' ? QChar('\t') : next;
        } else {
            value += exec[i];
        }
    }
    QStringList arguments;
    QString current;
    bool inQuotes = false, started = false;
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value[i];
        if (inQuotes) {
            if (c == '\\' && i + 1 < value.size())
                current += value[++i];
            else if (c == '"')
                inQuotes = false;
            else
                current += c;
        } else if (c == '"') {
            inQuotes = started = true;
        } else if (c == ' ') {
            if (started) arguments << current;
            current.clear();
            started = false;
        } else {
            current += c;
            started = true;
        }
    }
    if (started) arguments << current;
    for (QString& argument : arguments) {
        if (argument == "%f") argument = file;
        argument.replace("%%", "%");
    }
    return arguments;
}

TEST(ProgramFiles, PathWithSpacesBangAndChineseOnTheCommandLinePlays) {
    ProgramRun run;
    ASSERT_TRUE(run.install(ZIMO_PROGRAM, ZIMO_RECORDING_PLAYER));
    QDir().mkpath(run.tmpPath() + "/my clips");
    const QString clip = run.tmpPath() + "/my clips/测试 1!.flv";
    QFile(clip).open(QIODevice::WriteOnly);
    run.start({clip});
    ASSERT_FALSE(run.waitForWindow("FLV Player zimo").isEmpty());
    EXPECT_TRUE(run.waitForVariable("Ff=" + clip)) << run.variables().join("|").toStdString();
    EXPECT_EQ(run.variables().count("Ff=" + clip), 1);
    run.process.terminate();
    run.waitForExit();
}

TEST(ProgramFiles, FourThousandCharacterPathIsSentWhole) {
    ProgramRun run;
    ASSERT_TRUE(run.install(ZIMO_PROGRAM, ZIMO_RECORDING_PLAYER));
    QString path = "/tmp";
    while (path.size() < 3990)
        path += "/" + QString(200, 'd');
    path += "/clip.flv";
    run.start({path});
    ASSERT_FALSE(run.waitForWindow("FLV Player zimo").isEmpty());
    EXPECT_TRUE(run.waitForVariable("Ff=" + path));
    run.process.terminate();
    run.waitForExit();
}

TEST(ProgramFiles, FileOpenedThroughTheAssociationPlaysWhateverTheProgramPath) {
    ProgramRun run;
    ASSERT_TRUE(run.install(ZIMO_PROGRAM, ZIMO_RECORDING_PLAYER, "my apps! $x"));
    // The entry the program writes for itself when made the default player.
    qputenv("XDG_DATA_HOME", run.dataPath().toLocal8Bit());
    ASSERT_TRUE(WriteProgramDesktopEntry(run.programPath()));
    QFile entry(ProgramDesktopEntryPath());
    ASSERT_TRUE(entry.open(QIODevice::ReadOnly));
    const QString clip = run.tmpPath() + "/a b!.flv";
    const QStringList command = DesktopCommand(QString::fromUtf8(entry.readAll()), clip);
    ASSERT_EQ(command, QStringList({run.programPath(), clip}));
    run.startCommand(command);
    ASSERT_FALSE(run.waitForWindow("FLV Player zimo").isEmpty());
    EXPECT_TRUE(run.waitForVariable("Ff=" + clip));
    run.process.terminate();
    run.waitForExit();
}

TEST(ProgramInput, KeysFromTheKeyboardBecomeMovieVariables) {
    ProgramRun run;
    const QString window = run.startShown(ZIMO_PROGRAM, ZIMO_RECORDING_PLAYER);
    ASSERT_FALSE(window.isEmpty());
    for (const char* key : {"Up", "Down", "m", "m", "r", "l", "l", "a", "space", "Left"})
        PressKeyIn(window, key);
    ASSERT_TRUE(run.waitForVariable("RTo=-1"));
    EXPECT_EQ(run.variables(), QStringList({"Vlm=1001", "Vlm=999", "Vlm=1000", "Vlm=1002", "RTo=1",
                                            "RTo=0", "RTo=-1"}));

    // F goes to full screen and back; the wheel then grows the window by one step.
    const QSize normal = ClientSize(window);
    PressKeyIn(window, "f");
    EXPECT_TRUE(WaitForSize(window, QSize(1024, 768))) << ClientSize(window).width();
    PressKeyIn(window, "f");
    EXPECT_TRUE(WaitForSize(window, normal));
    RunTool("xdotool", {"mousemove", "--window", window, "100", "100", "click", "4"});
    EXPECT_TRUE(WaitForSize(window, normal + QSize(26, 20))) << ClientSize(window).width();

    // Esc in a normal window ends the program, which sends an empty file last.
    PressKeyIn(window, "Escape");
    ASSERT_TRUE(run.waitForExit());
    EXPECT_EQ(run.process.exitCode(), 0);
    EXPECT_EQ(run.variables().constLast(), "Ff=");
}

// Under a layout of another script a letter key counts as the letter a US keyboard has
// at its place; a Latin layout's keys count as the letters they type.
TEST(ProgramInput, LetterKeysWorkUnderEveryLayout) {
    ProgramRun run;
    const QString window = run.startShown(ZIMO_PROGRAM, ZIMO_RECORDING_PLAYER);
    ASSERT_FALSE(window.isEmpty());
    const struct {
        const char* layout;
        const char* keysym; // typed as the layout has it
    } presses[] = {
        {"ru", "Cyrillic_ka"},       // at R's place: turns right
        {"ru", "Cyrillic_softsign"}, // at M's place: mutes
        {"fr", "comma"},             // at M's place on a US keyboard: nothing
        {"fr", "m"},                 // M where the French layout has it: unmutes
    };
    for (const auto& press : presses) {
        RunTool("setxkbmap", {press.layout});
        PressKeyIn(window, press.keysym);
    }
    RunTool("setxkbmap", {"us"});
    ASSERT_TRUE(run.waitForVariable("Vlm=1002"));
    EXPECT_EQ(run.variables(), QStringList({"RTo=1", "Vlm=1000", "Vlm=1002"}));
    run.process.terminate();
    run.waitForExit();
}

TEST(ProgramInput, SavedRepeatIsSentAtStart) {
    ProgramRun run;
    ASSERT_TRUE(run.install(ZIMO_PROGRAM, ZIMO_RECORDING_PLAYER));
    QDir().mkpath(run.configPath() + "/Quorbin");
    QFile conf(run.configPath() + "/Quorbin/ZP.conf");
    ASSERT_TRUE(conf.open(QIODevice::WriteOnly));
    conf.write("[General]\nRep=1\n");
    conf.close();
    run.start();
    ASSERT_FALSE(run.waitForWindow("FLV Player zimo").isEmpty());
    EXPECT_TRUE(run.waitForVariable("Rpt=1"));
    run.process.terminate();
    run.waitForExit();
}

} // namespace

namespace {

QPoint ClientPosition(const QString& window) {
    const QString out = RunTool("xdotool", {"getwindowgeometry", window});
    const auto match = QRegularExpression(R"(Position: (-?\d+),(-?\d+))").match(out);
    return match.hasMatch() ? QPoint(match.captured(1).toInt(), match.captured(2).toInt())
                            : QPoint();
}

TEST(ProgramInput, PictureDragsTheWindowAndDoubleClickGoesFullScreen) {
    ProgramRun run;
    const QString window = run.startShown(ZIMO_PROGRAM, ZIMO_RECORDING_PLAYER);
    ASSERT_FALSE(window.isEmpty());
    RunTool("xdotool", {"windowactivate", "--sync", window});
    const QPoint start = ClientPosition(window);
    RunTool("xdotool", {"mousemove", "--window", window, "200", "100", "mousedown", "1"});
    for (int step = 1; step <= 5; ++step) {
        QThread::msleep(50);
        RunTool("xdotool", {"mousemove_relative", "--", "10", "8"});
    }
    RunTool("xdotool", {"mouseup", "1"});
    // The window manager's move takes over at the first movement and follows the
    // pointer from there: the four later steps.
    bool moved = false;
    for (int i = 0; i < 60 && !moved; ++i, QThread::msleep(50))
        moved = ClientPosition(window) == start + QPoint(40, 32);
    EXPECT_TRUE(moved) << ClientPosition(window).x() << "," << ClientPosition(window).y();

    const QSize normal = ClientSize(window);
    RunTool("xdotool", {"mousemove", "--window", window, "200", "100", "click", "--repeat", "2",
                        "--delay", "80", "1"});
    EXPECT_TRUE(WaitForSize(window, QSize(1024, 768))) << ClientSize(window).width();
    RunTool("xdotool", {"click", "--repeat", "2", "--delay", "80", "1"});
    EXPECT_TRUE(WaitForSize(window, normal)) << ClientSize(window).width();
    run.process.terminate();
    run.waitForExit();
}

} // namespace

namespace {

TEST(ProgramFiles, DropFromAnotherProgramPlaysTheFirstFile) {
    ProgramRun run;
    ASSERT_TRUE(run.install(ZIMO_PROGRAM, ZIMO_RECORDING_PLAYER));
    QDir().mkpath(run.tmpPath() + "/my clips");
    const QStringList files = {run.tmpPath() + "/my clips/测试 1!.flv",
                               run.tmpPath() + "/second.flv", run.tmpPath() + "/third.flv"};
    for (const QString& file : files)
        QFile(file).open(QIODevice::WriteOnly);
    run.start();
    const QString window = run.waitForWindow("FLV Player zimo");
    ASSERT_FALSE(window.isEmpty());

    EXPECT_EQ(DragFiles(ZIMO_DRAG_SOURCE, files, window), "copied");
    EXPECT_TRUE(run.waitForVariable("Ff=" + files.first()));
    EXPECT_EQ(run.variables(), QStringList({"Ff=" + files.first()}));
    // "Rec" is not written by a drop.
    EXPECT_FALSE(QFile::exists(run.configPath() + "/Quorbin/ZP.conf"));
    run.process.terminate();
    run.waitForExit();
}

} // namespace
