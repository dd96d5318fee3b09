// Pictures of the program for the README, made only when ZIMO_E2E_SHOTS names a folder:
//   ZIMO_E2E_SHOTS=docs tests/support/with-x.sh build/bin/e2e_tests --gtest_filter=Readme.*
#include "trial.h"

#include <QProcessEnvironment>

namespace {

using Readme = Trial;

TEST_F(Readme, Pictures) {
    if (QProcessEnvironment::systemEnvironment().value("ZIMO_E2E_SHOTS").isEmpty())
        GTEST_SKIP() << "ZIMO_E2E_SHOTS is not set";
    const QString plain = ProgressClip(ZIMO_E2E_CLIPS, false);
    ASSERT_FALSE(plain.isEmpty());
    start({plain});
    ASSERT_TRUE(waitForPicture().valid());
    Settle(3000); // a few seconds into the clip, only for a livelier picture

    // Playing, with the panel awake.
    const Frame playing = session.wakePanel(150);
    ASSERT_TRUE(playing.valid());
    session.saveShot("playing");

    // Paused: the button shows the play symbol.
    session.click(PlayButtonCentre(playing));
    ASSERT_TRUE(session.wakePanel(150).valid());
    session.saveShot("paused");
    session.click(PlayButtonCentre(playing));

    // The context menu, opened with the right button near the top-left corner.
    session.click(QPointF(40, 20), 3);
    Settle(800);
    session.saveShot("menu");
    RunTool("xdotool", {"key", "Escape"});
    Settle(300);

    // Turned a quarter to the right.
    session.key("r");
    ASSERT_TRUE(waitForPicture(0.75).valid());
    ASSERT_TRUE(session.wakePanel(150).valid());
    session.saveShot("rotated");
    session.key("l");
    ASSERT_TRUE(waitForPicture(1.33).valid());
}

} // namespace
