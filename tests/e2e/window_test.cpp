// The window around the picture: the wheel resizes it, R and L turn the picture, the right
// button opens the context menu.
#include "trial.h"

#include <QRegularExpression>

namespace {

using Window = Trial;

TEST_F(Window, WheelGrowsKeepsRatioAndRedocksPanel) {
    start();
    const Frame small = waitForPicture();
    ASSERT_TRUE(small.valid());
    const QRect before = session.client();

    // Two steps forward over the picture.
    for (int step = 1; step <= 2; ++step) {
        const int height = session.client().height();
        session.wheel(QPointF(small.width() / 2.0, small.height() / 3.0), true);
        ASSERT_TRUE(WaitUntil([&] { return session.client().height() > height; }, 5000))
            << "wheel step " << step << " did not grow the window";
    }
    const QRect after = session.client();
    EXPECT_EQ(after.height() - before.height(), 40);
    // The width follows in the window's proportions (it is wider than tall).
    EXPECT_GT(after.width() - before.width(), 40);
    EXPECT_LT(after.width() - before.width(), 62);
    // It grew about its centre.
    EXPECT_NEAR(after.center().x(), before.center().x(), 2);
    EXPECT_NEAR(after.center().y(), before.center().y(), 2);

    // The picture keeps its ratio with the bars computed for the new size.
    const Frame large = waitForPicture();
    ASSERT_TRUE(large.valid()) << "the picture did not take its place in the larger window";
    EXPECT_EQ(large.height(), small.height() + 40);

    // The panel sits along the new bottom edge, with the time and the volume at the right.
    const Frame docked = session.wakePanel();
    ASSERT_TRUE(docked.valid()) << "no panel at the new bottom edge";
    EXPECT_EQ(docked.width(), large.width());
    const QRect oldBottom(30, small.height() - 5, small.width() - 90, 2);
    EXPECT_LT(CountPixels(docked, oldBottom, IsPanelGrey), oldBottom.width() / 4)
        << "the panel still lies at the old bottom edge";
    EXPECT_GT(CountPixels(docked, VolumeBarsArea(docked), IsRed), 40)
        << "no volume indicator at the right end";
    EXPECT_GT(CountPixels(docked, TimeTextArea(docked), [](QRgb c) { return qGreen(c) < 100; }), 20)
        << "no time text near the right end";
}

TEST_F(Window, RotateRightThenLeft) {
    start();
    const Frame upright = waitForPicture();
    ASSERT_TRUE(upright.valid());
    // Some way into the clip, so its band shows plainly.
    const QRect wide = PictureRect(upright);
    const Frame along =
        session.waitForFrame([&](const Frame& f) { return BandProgress(f, wide) > 0.07; });
    ASSERT_TRUE(along.valid());
    const double progress = BandProgress(along, wide);

    // R: a quarter turn clockwise into a 3:4 rectangle with bars left and right.
    session.key("r");
    const Frame turned = waitForPicture(0.75);
    ASSERT_TRUE(turned.valid()) << "R did not give a tall picture with side bars";
    const QRect tall = PictureRect(turned);
    // The band, at the picture's top before, is now a column near its right edge,
    // white from the top down.
    const int bandX = tall.left() + int((1 - (BandTop + BandBottom) / 2) * tall.width());
    EXPECT_TRUE(IsWhite(turned.at(bandX, tall.top() + 1))) << "not turned clockwise";
    EXPECT_TRUE(IsBlack(turned.at(bandX, tall.top() + int(0.9 * tall.height()))))
        << "not turned clockwise";
    EXPECT_TRUE(IsBlack(turned.at(tall.left() - 3, tall.height() / 2)));
    EXPECT_TRUE(IsBlack(turned.at(tall.right() + 3, tall.height() / 2)));

    // L: upright again, in the 4:3 rectangle of an unturned picture.
    session.key("l");
    const Frame back = waitForPicture(1.33);
    ASSERT_TRUE(back.valid()) << "L did not turn the picture back";
    // The band is at the top again, as far along as before at least (within a pixel or
    // two: the rectangle found may differ by as much from the first).
    const QRect again = PictureRect(back);
    EXPECT_GT(BandProgress(back, again), progress - 2.5 / again.width())
        << "the band is not at the top";
}

TEST_F(Window, RightClickOpensContextMenuAtPointer) {
    start();
    ASSERT_TRUE(waitForPicture().valid());
    const QString pid = QString::number(session.run.process.processId());
    auto menus = [&] {
        QStringList found;
        const QString ids =
            RunTool("xdotool", {"search", "--all", "--onlyvisible", "--pid", pid, "--name", ".*"});
        for (const QString& id : ids.split('\n', Qt::SkipEmptyParts))
            if (id != session.window) found << id;
        return found;
    };
    ASSERT_TRUE(menus().isEmpty());

    session.click(QPointF(24, 12), 3);
    QStringList shown;
    ASSERT_TRUE(WaitUntil([&] { return !(shown = menus()).isEmpty(); }, 5000)) << "no menu opened";
    // Its top-left corner is at the pointer.
    const QString info = RunTool("xwininfo", {"-id", shown.first()});
    const auto field = [&](const char* label) {
        return QRegularExpression(QString(label) + R"(\s*(-?\d+))").match(info).captured(1).toInt();
    };
    const QRect client = session.client();
    EXPECT_NEAR(field("Absolute upper-left X:"), client.x() + 24, 3);
    EXPECT_NEAR(field("Absolute upper-left Y:"), client.y() + session.menuBar + 12, 3);
    EXPECT_GT(field("Height:"), 100) << "the menu holds fewer items than it should";
    Settle(300);

    // Esc closes the menu, not the program.
    RunTool("xdotool", {"key", "Escape"});
    EXPECT_TRUE(WaitUntil([&] { return menus().isEmpty(); }, 5000)) << "the menu stayed";
    Settle(500);
    EXPECT_EQ(session.run.process.state(), QProcess::Running);
}

} // namespace
