// The wheel's arithmetic: proportions and centre kept, the minimum size, the growth
// test against the screen, and movement counted in whole notches.
#include "commands/wheel_resize.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

constexpr int L = 298;
constexpr int T = 223;

QRect Step(const QRect& frame, int delta, int screenWidth = 1024, int screenHeight = 768) {
    const auto result = WheelResizeRect(frame, delta, screenWidth, screenHeight);
    return result ? *result : frame;
}

TEST(WheelResize, DefaultWindowGrowsAndShrinksAroundItsCentre) {
    const QRect start(L, T, 429, 322);
    EXPECT_EQ(Step(start, 120), QRect(L - 13, T - 10, 455, 342));
    EXPECT_EQ(Step(start, -120), QRect(L + 13, T + 10, 402, 302));
    // The ratio is taken afresh from the truncated size: forward then back drifts.
    EXPECT_EQ(Step(Step(start, 120), -120).size(), QSize(428, 322));
    // A delta of zero shrinks.
    EXPECT_EQ(Step(start, 0), QRect(L + 13, T + 10, 402, 302));
}

TEST(WheelResize, MinimumSizeHolds) {
    EXPECT_EQ(Step(QRect(L, T, 200, 180), -120), QRect(L, T + 5, 200, 170));
    EXPECT_EQ(Step(QRect(L, T, 210, 600), -120), QRect(L + 5, T + 14, 200, 571));
}

TEST(WheelResize, SquareGrowsByTheWidth) {
    EXPECT_EQ(Step(QRect(L, T, 300, 300), 120), QRect(L - 10, T - 10, 320, 320));
}

TEST(WheelResize, GrowthIsTestedAgainstTheScreenBeforeTheStep) {
    EXPECT_FALSE(WheelResizeRect(QRect(0, 0, 1000, 760), 120, 1024, 768).has_value());
    EXPECT_EQ(Step(QRect(0, 0, 1000, 760), -120).size(), QSize(973, 740));
    // One step may take the window past the screen's size.
    EXPECT_EQ(Step(QRect(0, 0, 1010, 700), 120).size(), QSize(1038, 720));
    // Taller than wide against the screen's width.
    EXPECT_FALSE(WheelResizeRect(QRect(0, 0, 1010, 1100), 120, 1024, 2000).has_value());
}

TEST(WheelResize, EmptyFrameIsLeftAlone) {
    EXPECT_FALSE(WheelResizeRect(QRect(0, 0, 0, 0), 120, 1024, 768).has_value());
    EXPECT_FALSE(WheelResizeRect(QRect(0, 0, 0, 0), -120, 1024, 768).has_value());
}

// One run of events, as a mouse wheel and a touchpad deliver them, each with the step it
// makes (the count carries over from event to event).
TEST(WheelResize, StepsOncePerWholeNotch) {
    const struct {
        int delta, step;
    } events[] = {
        {120, 1},     {-120, -1}, // a mouse wheel: a step per notch
        {0, 0},                   // a gesture's end moves nothing, and shrinks nothing
        {40, 0},      {40, 0},      {0, 0},        {40, 1}, // parts add up to a notch
        {100, 0},     {-100, 0},    {-20, -1},              // a turn back starts afresh
        {360, 1},     {0, 0},       {120, 1},               // one step per event at most
        {INT_MAX, 1}, {INT_MAX, 1}, {INT_MIN, -1},          // no overflow
    };
    for (const auto& e : events)
        EXPECT_EQ(WheelNotch(e.delta), e.step) << "delta " << e.delta;
}

} // namespace
