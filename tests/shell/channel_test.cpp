#include "channel/movie_channel.h"
#include "recording_control.h"
#include "shell/globals.h"

#include <gtest/gtest.h>

namespace {

class Channel : public ::testing::Test {
protected:
    void SetUp() override {
        ResetShellState();
        PlayerControl = &control;
    }
    void TearDown() override { PlayerControl = nullptr; }
    RecordingControl control;
};

TEST_F(Channel, RotationCyclesThroughTheFourCodes) {
    for (int i = 0; i < 4; ++i)
        RotateStep(RotateDirection::Right);
    EXPECT_EQ(control.log(), QStringList({"RTo=1", "RTo=2", "RTo=-1", "RTo=0"}));
    control.sent.clear();
    RotateStep(RotateDirection::Left);
    RotateStep(RotateDirection::Left);
    EXPECT_EQ(control.log(), QStringList({"RTo=-1", "RTo=2"}));
}

TEST_F(Channel, FileIsFollowedByRepeatOnlyAfterTheFirstToggle) {
    SendFile("/a.flv");
    SendRepeat(true);
    SendRepeat(false);
    SendFile("/b c.flv");
    SendFile(QString());
    EXPECT_EQ(control.log(),
              QStringList({"Ff=/a.flv", "Rpt=1", "Rpt=0", "Ff=/b c.flv", "Rpt=0", "Ff=", "Rpt=0"}));
    EXPECT_EQ(RepeatValue, "0");
}

TEST_F(Channel, VolumeStepsAndMuteCodes) {
    SendMute(true);
    VolumeUp();
    VolumeDown();
    SendMute(false);
    EXPECT_EQ(control.log(), QStringList({"Vlm=1000", "Vlm=1001", "Vlm=999", "Vlm=1002"}));
}

TEST_F(Channel, NothingIsSentWithoutAControl) {
    PlayerControl = nullptr;
    SendFile("/a.flv");
    RotateStep(RotateDirection::Right);
    EXPECT_TRUE(control.sent.isEmpty());
    EXPECT_EQ(RotationIndex, 2); // the shell's own state still moves
}

} // namespace
