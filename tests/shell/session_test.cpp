// The real program with its real player, watched through a spy on the player: the
// command line's file plays on every desktop (ctest runs the suites on an X server with
// and without a window manager and under a Wayland compositor), names that are not UTF-8
// and file: addresses play, the signals a session sends end the program as closing it
// does, and closing at any moment after a file opened ends it with exit code 0.
#include "../e2e/clip.h"
#include "program_run.h"

#include <zimo/file_name_text.h>

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>

#ifndef ZIMO_SPY_PLAYER
#error "ZIMO_SPY_PLAYER must name the spy player library"
#endif

namespace {

QString Clip() {
    static const QString clip = ProgressClip(ZIMO_E2E_CLIPS, false);
    return clip;
}

// The program with the spy in front of its real player.
struct SpyRun : ProgramRun {
    bool install() {
        if (!ProgramRun::install(ZIMO_PROGRAM, ZIMO_SPY_PLAYER)) return false;
        environment << "ZIMO_TEST_REAL_PLAYER=" ZIMO_PLAYER;
        return !Clip().isEmpty();
    }
    // Starts the program with one argument given as bytes.
    void startWith(const QByteArray& argument) {
        // The argument goes through the shell's printf, octal escapes and all, so bytes
        // that are not UTF-8 reach the program as they are.
        QByteArray escaped;
        for (const char c : argument)
            escaped += QByteArray("\\") + QByteArray::number(uchar(c), 8).rightJustified(3, '0');
        startCommand({"bash", "-c", "exec \"$0\" \"$(printf \"$1\")\"", programPath(),
                      QString::fromLatin1(escaped)});
    }
    bool waitForPlaying(const QString& file) { return waitForVariable("playing=" + file, 20000); }
};

// Copies the clip to a name given as bytes; its path as the program sends it on.
QString CopyClipTo(const QByteArray& name) {
    std::error_code failed;
    std::filesystem::copy_file(Clip().toStdString(), name.toStdString(), failed);
    return failed ? QString() : zimo::fileNameText(name);
}

TEST(CommandLineFile, PlaysOnceTheWindowIsShown) {
    SpyRun run;
    ASSERT_TRUE(run.install());
    run.start({Clip()});
    EXPECT_TRUE(run.waitForPlaying(Clip())) << run.variables().join("|").toStdString();
    EXPECT_EQ(run.variables().count("Ff=" + Clip()), 1);
    run.process.terminate();
    ASSERT_TRUE(run.waitForExit());
    EXPECT_EQ(run.process.exitCode(), 0);
}

TEST(Names, NotUtf8AndFileAddressesPlayFromTheCommandLineAndByADrop) {
    struct Case {
        const char* what;
        QByteArray name;   // in the test's folder
        QByteArray typed;  // the argument; the path itself when empty
        bool drop = false; // dropped on the playing window as well
    };
    const Case cases[] = {
        {"Latin-1", "caf\xe9.flv", {}, true},
        {"GBK", "\xb2\xe2\xca\xd4.flv", {}, true},
        {"file: address", "with space.flv", "file://%1/with%20space.flv"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SpyRun run;
        ASSERT_TRUE(run.install());
        const QByteArray folder = QFile::encodeName(run.tmpPath());
        const QString path = CopyClipTo(folder + "/" + c.name);
        ASSERT_FALSE(path.isEmpty());
        run.startWith(c.typed.isEmpty() ? folder + "/" + c.name
                                        : QString::fromLatin1(c.typed).arg(run.tmpPath()).toUtf8());
        ASSERT_TRUE(run.waitForPlaying(path)) << run.variables().join("|").toStdString();
        if (c.drop) {
            // Another file first, so the drop is seen to play the name again.
            const QString other = CopyClipTo(folder + "/other.flv");
            const QString window = run.waitForWindow("FLV Player zimo");
            EXPECT_EQ(DragFiles(ZIMO_DRAG_SOURCE, {other}, window), "copied");
            ASSERT_TRUE(run.waitForPlaying(other));
            const QByteArray address =
                "file://" + QByteArray(folder + "/" + c.name).toPercentEncoding("/");
            EXPECT_EQ(DragFiles(ZIMO_DRAG_SOURCE, {QString::fromLatin1(address)}, window),
                      "copied");
            EXPECT_TRUE(run.waitForPlaying(path)) << run.variables().join("|").toStdString();
        }
        run.process.terminate();
        ASSERT_TRUE(run.waitForExit());
    }
}

TEST(Signals, EachEndsTheProgramAsClosingDoes) {
    for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
        SCOPED_TRACE(signal);
        SpyRun run;
        ASSERT_TRUE(run.install());
        run.start({Clip()});
        ASSERT_TRUE(run.waitForPlaying(Clip()));
        kill(pid_t(run.process.processId()), signal);
        ASSERT_TRUE(run.waitForExit());
        EXPECT_EQ(run.process.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(run.process.exitCode(), 0);
        EXPECT_EQ(run.variables().constLast(), "Ff=");
    }
}

// A sound server of the test's own with a null sink, so the program's sound goes
// somewhere real and nothing reaches the user's.
class PrivateSoundServer {
public:
    bool start() {
        const QString program = QStandardPaths::findExecutable("pulseaudio");
        if (program.isEmpty() || !dir_.isValid()) return false;
        QDir(dir_.path()).mkpath("runtime");
        QFile::setPermissions(dir_.filePath("runtime"),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_RUNTIME_DIR", dir_.filePath("runtime"));
        env.insert("PULSE_RUNTIME_PATH", dir_.filePath("runtime/pulse"));
        env.insert("HOME", dir_.path());
        env.remove("PULSE_SERVER");
        server_.setProcessEnvironment(env);
        server_.start(program, {"--daemonize=no", "--exit-idle-time=-1", "-n", "-L",
                                "module-null-sink", "-L", "module-native-protocol-unix"});
        if (!server_.waitForStarted(5000)) return false;
        // Up once it names its null sink to a client.
        for (int i = 0; i < 200; ++i, QThread::msleep(50))
            if (RunTool("pactl", {"-s", address(), "list", "short", "sinks"}).contains("null"))
                return true;
        return false;
    }
    QString address() const { return "unix:" + dir_.filePath("runtime/pulse/native"); }
    ~PrivateSoundServer() {
        server_.terminate();
        if (!server_.waitForFinished(3000)) server_.kill();
        server_.waitForFinished(1000);
    }

private:
    QTemporaryDir dir_;
    QProcess server_;
};

TEST(CloseCycles, ClosingAtAnyMomentAfterTheFileOpenedEndsWithExitCodeZero) {
    PrivateSoundServer sound;
    ASSERT_TRUE(sound.start()) << "no private sound server";
    const int cycles = qEnvironmentVariableIntValue("ZIMO_CLOSE_CYCLES");
    ASSERT_GT(cycles, 0);
    // Every way out: the key, and the signals a session or a terminal sends.
    const int ways[] = {0, SIGTERM, SIGINT, SIGHUP};
    int failures = 0;
    for (int cycle = 0; cycle < cycles && failures < 3; ++cycle) {
        SpyRun run;
        ASSERT_TRUE(run.install());
        run.environment << "PULSE_SERVER=" + sound.address();
        run.start({Clip()});
        const QString window = run.waitForWindow("FLV Player zimo");
        // A loaded machine may take a while to start the program.
        ASSERT_TRUE(run.waitForVariable("Ff=" + Clip(), 30000)) << "cycle " << cycle;
        QThread::msleep(QRandomGenerator::global()->bounded(1000));
        const int way = ways[cycle % 4];
        if (way == 0)
            PressKeyIn(window, "Escape");
        else
            kill(pid_t(run.process.processId()), way);
        const bool ended = run.waitForExit(20000);
        const bool clean = ended && run.process.exitStatus() == QProcess::NormalExit &&
                           run.process.exitCode() == 0;
        if (!clean) {
            ++failures;
            ADD_FAILURE() << "cycle " << cycle << " (way " << way << "): "
                          << (ended ? "exit code " + std::to_string(run.process.exitCode())
                                    : std::string("did not end"))
                          << "\n"
                          << run.process.readAllStandardError().toStdString();
            run.process.kill();
            run.waitForExit();
        }
    }
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
