// The real program, run as a user would: a missing player, an unusable temporary
// folder and a clean start.
#include "program_run.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <gtest/gtest.h>

#ifndef ZIMO_PROGRAM
#error "ZIMO_PROGRAM must name the built program"
#endif

namespace {

struct MissingPlayerCase {
    const char* name;
    const char* library; // copied beside the program as its player; "" for none
};

class MissingPlayer : public ::testing::TestWithParam<MissingPlayerCase> {};

TEST_P(MissingPlayer, ShowsTheOneErrorBoxAndNoMainWindow) {
    ProgramRun run;
    ASSERT_TRUE(run.install(ZIMO_PROGRAM, GetParam().library));
    run.start();
    const QString box = run.waitForWindow("Error");
    ASSERT_FALSE(box.isEmpty()) << "no error box";
    EXPECT_TRUE(run.windowsNamed("FLV Player zimo").isEmpty());
    PressKeyIn(box, "Return");
    ASSERT_TRUE(run.waitForExit());
    EXPECT_EQ(run.process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(run.process.exitCode(), 0);
    // Nothing was written to the settings, nothing left in the temporary folder.
    EXPECT_FALSE(QFileInfo::exists(run.configPath() + "/Quorbin"));
    EXPECT_TRUE(QDir(run.tmpPath()).entryList({"z*"}, QDir::Files).isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Program, MissingPlayer,
                         ::testing::Values(MissingPlayerCase{"NoLibrary", ""},
                                           MissingPlayerCase{"NoEntryPoint", ZIMO_FAKE_NOENTRY},
                                           MissingPlayerCase{"CreationFails", ZIMO_FAKE_NULL}),
                         [](const auto& param) { return std::string(param.param.name); });

TEST(Program, UnusableTemporaryFolderEndsSilentlyBeforeAnyWindow) {
    // A folder that does not exist, and one that nobody (not even root) can write in.
    for (const QString& folder : {QString("/does-not-exist/zimo-test"), QString("/proc")}) {
        ProgramRun run;
        ASSERT_TRUE(run.install(ZIMO_PROGRAM, ZIMO_PLAYER));
        run.start({}, folder);
        ASSERT_TRUE(run.waitForExit()) << folder.toStdString();
        EXPECT_EQ(run.process.exitCode(), 0);
        EXPECT_TRUE(run.windowsNamed("FLV Player zimo").isEmpty());
        EXPECT_TRUE(run.windowsNamed("Error").isEmpty());
    }
}

TEST(Program, MovieThatCannotBeWrittenWholeLeavesNothingBehind) {
    // Files may grow to 4 KiB only, less than the movie: its write fails part way.
    ProgramRun run;
    ASSERT_TRUE(run.install(ZIMO_PROGRAM, ZIMO_PLAYER));
    run.startCommand({"bash", "-c", "trap '' XFSZ; ulimit -f 4; exec \"$0\"", run.programPath()});
    ASSERT_TRUE(run.waitForExit());
    EXPECT_EQ(run.process.exitCode(), 0);
    EXPECT_TRUE(run.windowsNamed("FLV Player zimo").isEmpty());
    EXPECT_TRUE(QDir(run.tmpPath()).entryList({"z*"}, QDir::Files).isEmpty());
}

TEST(Program, StartsIdleLeavesNoTemporaryFileAndExitsWithZero) {
    ProgramRun run;
    const QString window = run.startShown(ZIMO_PROGRAM, ZIMO_PLAYER);
    ASSERT_FALSE(window.isEmpty());
    EXPECT_TRUE(QDir(run.tmpPath()).entryList({"z*"}, QDir::Files).isEmpty());
    // Closing the window through the window manager ends the program with exit code 0.
    PressKeyIn(window, "alt+F4");
    ASSERT_TRUE(run.waitForExit());
    EXPECT_EQ(run.process.exitCode(), 0);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
