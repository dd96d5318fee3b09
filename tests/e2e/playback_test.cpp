// A clip given on the command line plays in the window, letterboxed; Esc ends the program.
#include "trial.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace {

using Playback = Trial;

// Two frames about a second apart, both of the same stage size.
std::pair<Frame, Frame> FramesASecondApart(const Session& session) {
    Frame a = session.grab();
    Settle(1000);
    return {a, session.grab()};
}

TEST_F(Playback, PlaysLetterboxedAndMoving) {
    start();
    const Frame first = waitForPicture();
    ASSERT_TRUE(first.valid()) << "the picture never took its place on the stage";
    // 16:9 in the default window, which is less wide: black bars above and below.
    const QRectF expected = ExpectedPictureRect(first, ClipRatio);
    ASSERT_GT(expected.top(), 6) << "the default window should letterbox a 16:9 picture";
    const QRect picture = PictureRect(first);
    for (int y = 0; y < picture.top() - 1; ++y)
        EXPECT_LT(LitPartOfRow(first, y, 0, first.width()), 0.02) << "bar row " << y;
    for (int y = picture.bottom() + 2; y < first.height() - Frame::ControlBand; ++y)
        EXPECT_LT(LitPartOfRow(first, y, 0, first.width()), 0.02) << "bar row " << y;

    // It moves: the picture area differs a second later, and the band has grown.
    const auto [a, b] = FramesASecondApart(session);
    EXPECT_GT(DifferingPixels(a, b, picture), 500);
    const double before = BandProgress(a, picture), after = BandProgress(b, picture);
    EXPECT_GE(before, 0);
    EXPECT_GT(after, before) << "the clip's position went from " << before << " to " << after;
}

TEST_F(Playback, PathWithSpacesCjkAndBangPlays) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString named = folder.path() + "/my clips/测试 1!.flv";
    ASSERT_TRUE(QDir().mkpath(folder.path() + "/my clips"));
    ASSERT_TRUE(QFile::copy(clip, named));
    start({named});
    const Frame shown = waitForPicture();
    ASSERT_TRUE(shown.valid()) << "the file with the unusual name was not shown";
    const auto [a, b] = FramesASecondApart(session);
    EXPECT_GT(DifferingPixels(a, b, PictureRect(shown)), 500) << "the picture does not move";
}

TEST_F(Playback, EscClosesWithExitCodeZero) {
    start();
    ASSERT_TRUE(waitForPicture().valid());
    session.key("Escape");
    ASSERT_TRUE(session.run.waitForExit(10000)) << "Esc did not close the program";
    EXPECT_EQ(session.run.process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(session.run.process.exitCode(), 0);
}

} // namespace
