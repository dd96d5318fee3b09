// Trials of the real program as a user makes them.
#include "trial.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#ifndef ZIMO_E2E_CLIPS
#error "ZIMO_E2E_CLIPS must name the folder for the clips"
#endif

QString Trial::clip;

void Trial::SetUpTestSuite() {
    if (clip.isEmpty()) clip = ProgressClip(ZIMO_E2E_CLIPS);
}

void Trial::start(QStringList arguments) {
    ASSERT_FALSE(clip.isEmpty()) << "ffmpeg could not make the clip";
    if (arguments.isEmpty()) arguments << clip;
    ASSERT_TRUE(session.start(arguments)) << session.error.toStdString();
}

Frame Trial::waitForPicture(double ratio, int timeoutMs) {
    return session.waitForFrame(
        [&](const Frame& f) {
            return SameRect(PictureRect(f), ExpectedPictureRect(f, ratio), 2.5, f.height());
        },
        timeoutMs);
}

Frame Trial::waitForPanel(const std::function<bool(const Frame&)>& shows, int timeoutMs) {
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < timeoutMs) {
        const Frame f = session.wakePanel(120, timeoutMs);
        if (f.valid() && shows(f)) return f;
    }
    return {};
}

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
