// What every trial starts from: the clip, and the program playing it in its window.
#pragma once

#include "clip.h"
#include "session.h"

#include <QString>
#include <gtest/gtest.h>

class Trial : public ::testing::Test {
protected:
    static void SetUpTestSuite();
    static QString clip;

    Session session;

    // Starts the program on arguments (the clip when none are given); fails the trial
    // when it does not come up.
    void start(QStringList arguments = {});
    // Waits until the upright picture of ratio lies where the layout puts it on the
    // stage, with black bars around it; the frame that shows it (invalid on time-out).
    Frame waitForPicture(double ratio = ClipRatio, int timeoutMs = 10000);
    // Waits until the panel shows at full opacity and the frame satisfies shows, waking
    // the panel with the pointer as long as needed.
    Frame waitForPanel(const std::function<bool(const Frame&)>& shows, int timeoutMs = 10000);
};
