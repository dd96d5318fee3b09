// The player movie running on a stepped clock, for tests.
#pragma once

#include "media/clock.h"
#include "running/running_movie.h"

#include <QString>
#include <gtest/gtest.h>

class MovieFixture : public ::testing::Test {
protected:
    MovieFixture();
    void SetUp() override;

    // Loads the player movie without running its first ticks.
    void loadOnly();
    // Loads it and lets it reach its main frame.
    void start();
    // n frame ticks, the media clock moving with them.
    void ticks(int n);
    // Ticks until the condition holds, at most n ticks; whether it held.
    template <class F> bool tickUntil(F&& condition, int n = 300) {
        for (int i = 0; i < n; ++i) {
            if (condition()) return true;
            ticks(1);
        }
        return condition();
    }
    QString var(const QString& path) { return movie.getVariable(path); }
    double num(const QString& path) { return movie.getVariable(path).toDouble(); }
    void set(const QString& name, const QString& value) { movie.setVariable(name, value); }

    zimo::media::ManualClock clock;
    zimo::running::RunningMovie movie;
};
